#include "servertile.h"
#include "gradientpanel.h"
#include "tilewidgets.h"

#include "util/strutil.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kovalt {

namespace {

const QColor DarkGreen(0, 128, 0);

// Hands a left double click on a tile's caption or picture to its panel.
class DoubleClickToPanel : public QObject {
public:
    DoubleClickToPanel(GradientPanel* panel) : QObject(panel), m_panel(panel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit m_panel->doubleClicked();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    GradientPanel* m_panel;
};

QString TwoDigits(int j) {
    return PadLeftWith(QString::number(j), u'0', 2);
}

} // namespace

QImage ServerNumberPicture(int j) {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QFont font = painter.font();
    // 20 points on the 96-dpi screens the bar is laid out for.
    font.setPixelSize(27);
    painter.setFont(font);
    painter.setPen(DarkGreen);
    const QString text = QString::number(j);
    const int x = text.size() == 1 ? 15 : 0;
    painter.drawText(QRect(x, 0, 32 - x, 32), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    return image;
}

ServerTileControls MakeServerTile(TileList& list, QWidget* form, int j, const TilePlacement& placement,
                                  const QColor& textColor) {
    ServerTileControls tile;
    const int w = form ? form->width() : 280;
    tile.panel = new GradientPanel(placement.shown ? form : nullptr);
    GradientPanel* panel = tile.panel;
    panel->setObjectName(QStringLiteral("but") + TwoDigits(j));
    panel->SetStartColor(DarkGreen);
    panel->setCursor(Qt::PointingHandCursor);
    const bool active = list.Servers[j].aktivni;
    panel->SetFrameWidth(active ? 2 : 1);
    panel->SetFrameColor(active ? QColor(255, 0, 0) : QColor(0, 0, 0));
    panel->setGeometry(0, placement.top, w, ServerTileHeight);
    panel->SetTag(j);
    panel->SetHeading(list.Names[j]);
    panel->SetHeadingColor(textColor);
    list.Panels[j] = panel;
    list.Tops[j] = placement.shown ? placement.top : 0;
    auto* forward = new DoubleClickToPanel(panel);

    tile.caption = new TileCaption(panel);
    TileCaption* caption = tile.caption;
    caption->setObjectName(QStringLiteral("caption") + TwoDigits(j));
    caption->setGeometry(40, 25, w - 82, caption->fontMetrics().height());
    caption->setText(list.Descriptions[j]);
    caption->SetTextColor(QColor(255, 255, 255));
    caption->setToolTip(list.Descriptions[j]);
    SetTag(caption, j);
    caption->installEventFilter(forward);
    list.Captions[j] = caption;

    tile.image = new TileImage(panel);
    TileImage* image = tile.image;
    image->setObjectName(QStringLiteral("icon") + TwoDigits(j));
    image->setGeometry(w - 42, 2, 32, 32);
    image->SetPicture(ServerNumberPicture(j));
    SetTag(image, j);
    image->installEventFilter(forward);
    list.Icons[j] = image;

    if (placement.shown) panel->show();
    return tile;
}

} // namespace kovalt
