// Windows: the bar's side of the shell icon; the Windows calls are in win32/shellicon.cpp.
#include "icons.h"
#include "win32/shellicon.h"

#include <QDir>

namespace kovalt {

void* IconColorBitmap(void* icon) {
    return win32::IconColorBitmap(static_cast<HICON>(icon));
}

std::optional<ShellIcon> PlatformLargeIcon(const QString& path) {
    const win32::ShellIconHandles shell(QDir::toNativeSeparators(path).toStdWString());
    if (!shell.Icon()) return std::nullopt;
    ShellIcon icon;
    icon.icon = QImage::fromHICON(shell.Icon());
    if (shell.Colour()) icon.colour = QImage::fromHBITMAP(shell.Colour());
    if (icon.icon.isNull()) return std::nullopt;
    return icon;
}

} // namespace kovalt
