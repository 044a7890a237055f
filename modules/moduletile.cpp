#include "moduletile.h"
#include "gradientpanel.h"
#include "tilewidgets.h"

#include "util/strutil.h"

namespace kovalt {

ModuleTileControls MakeModuleTile(TileList& list, QWidget* form, int j, int w, const TilePlacement& placement,
                                  const QColor& textColor) {
    ModuleTileControls tile;
    tile.panel = new GradientPanel(placement.shown ? form : nullptr);
    GradientPanel* panel = tile.panel;
    panel->setObjectName(QStringLiteral("but") + PadLeftWith(QString::number(j), u'0', 2));
    panel->setCursor(Qt::PointingHandCursor);
    panel->SetStartColor(QColor(0, 128, 0));
    panel->SetFrameWidth(1);
    panel->SetFrameColor(QColor(0, 0, 0));
    panel->setGeometry(0, placement.top, form ? form->width() : ModuleFormWidth(w), ModuleTileHeight(w));
    panel->SetTag(j);
    panel->SetHeading(list.Names[j]);
    panel->SetHeadingColor(textColor);
    list.Panels[j] = panel;
    list.Tops[j] = placement.shown ? placement.top : 0;

    tile.caption = new TileCaption(panel);
    TileCaption* caption = tile.caption;
    caption->setObjectName(QStringLiteral("caption") + PadLeftWith(QString::number(j), u'0', 2));
    caption->setGeometry(40, w - 10, panel->width() - w - 50, caption->fontMetrics().height());
    caption->setText(list.Descriptions[j]);
    caption->SetTextColor(QColor(255, 255, 255));
    caption->setToolTip(list.Descriptions[j]);
    SetTag(caption, j);
    list.Captions[j] = caption;

    tile.image = new TileImage(panel);
    TileImage* image = tile.image;
    image->setObjectName(QStringLiteral("icon") + PadLeftWith(QString::number(j), u'0', 2));
    image->setGeometry(panel->width() - panel->height(), 5, panel->height() - 10, panel->height() - 10);
    SetTag(image, j);
    list.Icons[j] = image;

    if (placement.shown) panel->show();
    return tile;
}

TileContent ContentOf(const TileList& list, int k) {
    const TileImage* image = list.Icons[k];
    return {list.Names[k], list.Descriptions[k], list.Commands[k], image ? image->Picture() : QImage(),
            list.KeptCommands[k]};
}

void TakeContent(TileList& list, int k, const TileContent& content) {
    list.Names[k] = content.Name;
    if (GradientPanel* panel = list.Panels[k]) panel->SetHeading(content.Name);
    list.Descriptions[k] = content.Description;
    if (TileCaption* caption = list.Captions[k]) {
        caption->setText(content.Description);
        caption->setToolTip(content.Description);
    }
    list.Commands[k] = content.Command;
    if (TileImage* image = list.Icons[k]) image->SetPicture(content.Picture.copy());
    list.KeptCommands[k] = content.KeptCommand;
}

void RotateSlots(TileList& list, int s, int d) {
    if (s < 1 || s > MaxTiles || d < 1 || d > MaxTiles) return;
    const TileContent saved = ContentOf(list, s);
    if (s > d) {
        for (int k = s; k >= d + 1; --k)
            TakeContent(list, k, ContentOf(list, k - 1));
    } else {
        for (int k = s; k <= d - 1; ++k)
            TakeContent(list, k, ContentOf(list, k + 1));
    }
    TakeContent(list, d, saved);
}

} // namespace kovalt
