#include "icons.h"

#include <shellapi.h>
#include <windows.h>

namespace kovalt {

void* IconColorBitmap(void* icon) {
    ICONINFO info{};
    if (!GetIconInfo(static_cast<HICON>(icon), &info)) return nullptr;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return info.hbmColor;
}

std::optional<ShellIcon> PlatformLargeIcon(const QString& path) {
    SHFILEINFOW info{};
    // 0x4100: the icon and the system image-list index; the large icon, as no small-icon flag is given.
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(path.utf16()), 0, &info, sizeof info, 0x4100);
    if (!info.hIcon) return std::nullopt;
    ShellIcon shell;
    shell.icon = QImage::fromHICON(info.hIcon);
    if (auto colour = static_cast<HBITMAP>(IconColorBitmap(info.hIcon))) {
        shell.colour = QImage::fromHBITMAP(colour);
        DeleteObject(colour);
    }
    DestroyIcon(info.hIcon);
    if (shell.icon.isNull()) return std::nullopt;
    return shell;
}

} // namespace kovalt
