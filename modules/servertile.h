#pragma once

#include "layout.h"
#include "tilelist.h"

#include <QColor>
#include <QImage>

namespace kovalt {

class GradientPanel;
class TileCaption;
class TileImage;

/// Server tiles are as high as module tiles of 32-pixel icons.
constexpr int ServerTileHeight = 42;

/// The three controls of one server tile, as MakeServerTile stored them in the slot.
struct ServerTileControls {
    GradientPanel* panel = nullptr;
    TileCaption* caption = nullptr;
    TileImage* image = nullptr;
};

/// The number picture of server tile j: 32 x 32, transparent, j in dark green at 20 points,
/// drawn at x 15 when it has one digit and at x 0 when it has two.
QImage ServerNumberPicture(int j);

/// Makes server tile j: the panel "butNN" (on the form when placement.shown, else without parent)
/// at placement.top, the form's width, 42 high, heading Names[j], framed 2 px red when
/// Servers[j].aktivni, else 1 px black; the caption label with Descriptions[j] as text and hint at
/// 40, 25; the number picture at the right end. Sets Panels, Captions, Icons and Tops of slot j and
/// every control's tag to j. A double click on the caption or the picture is the panel's double
/// click; the caller connects the panel's doubleClicked.
ServerTileControls MakeServerTile(TileList& list, QWidget* form, int j, const TilePlacement& placement,
                                  const QColor& textColor = QColor(255, 255, 255));

} // namespace kovalt
