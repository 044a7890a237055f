#include "shellicon.h"

#include <shellapi.h>

namespace kovalt::win32 {

HBITMAP IconColorBitmap(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return nullptr;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return info.hbmColor;
}

ShellIconHandles::ShellIconHandles(const std::wstring& path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, kShellIconFlags);
    m_icon = info.hIcon;
    m_index = m_icon ? info.iIcon : -1;
    m_colour = IconColorBitmap(m_icon);
}

ShellIconHandles::~ShellIconHandles() {
    if (m_colour) DeleteObject(m_colour);
    if (m_icon) DestroyIcon(m_icon);
}

} // namespace kovalt::win32
