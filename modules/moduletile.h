#pragma once

#include "layout.h"
#include "tilelist.h"

#include <QColor>
#include <QImage>
#include <QString>

namespace kovalt {

class GradientPanel;
class TileCaption;
class TileImage;

/// The three controls of one module tile, as MakeModuleTile stored them in the slot.
struct ModuleTileControls {
    GradientPanel* panel = nullptr;
    TileCaption* caption = nullptr;
    TileImage* image = nullptr;
};

/// Makes the tile of slot j for icon width w: the panel "butNN" (on the form when placement.shown,
/// else without parent) at placement.top, full form width, w + 10 high, with the heading Names[j];
/// the caption label with Descriptions[j] as text and hint at 40, w - 10; the empty picture at its
/// right end. Sets Panels, Captions, Icons and Tops of slot j and every control's tag to j.
/// The caller connects the events and fills the picture (NastavIkonu).
ModuleTileControls MakeModuleTile(TileList& list, QWidget* form, int j, int w, const TilePlacement& placement,
                                  const QColor& textColor = QColor(255, 255, 255));

/// What moves with a module when the tiles are reordered.
struct TileContent {
    QString Name;
    QString Description;
    QString Command;
    QImage Picture;
    QString KeptCommand;
};
TileContent ContentOf(const TileList& list, int k);
/// Slot k takes the content: Names and the heading, Descriptions and the caption's text and hint,
/// Commands, a copy of the picture, and KeptCommands.
void TakeContent(TileList& list, int k, const TileContent& content);
/// The drop of slot s onto slot d: slot d takes the content of s, the slots between move by one
/// towards s. Panels, Tops, First, Last and Count stay.
void RotateSlots(TileList& list, int s, int d);

} // namespace kovalt
