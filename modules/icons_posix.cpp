#include "icons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>

namespace kovalt {

std::optional<ShellIcon> PlatformLargeIcon(const QString& path) {
    constexpr int side = 32;
    const QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    if (icon.isNull()) return std::nullopt;
    QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
    if (image.isNull()) return std::nullopt;
    if (image.size() != QSize(side, side)) {
        // A theme may offer only other sizes; the tile needs the large-icon square.
        QImage square(side, side, QImage::Format_ARGB32);
        square.fill(Qt::transparent);
        QPainter painter(&square);
        const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
        image = square;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    return ShellIcon{image, image.convertToFormat(QImage::Format_RGB32)};
}

} // namespace kovalt
