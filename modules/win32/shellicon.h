#pragma once
// The shell's large icon of a file, in the Windows API's own terms and without Qt, so it builds
// and is tested on its own (tests/win32). icons_win.cpp turns it into the bar's images.
#include <windows.h>

#include <string>

namespace kovalt::win32 {

/// SHGetFileInfoW flags 0x4100 = SHGFI_ICON (0x100) | SHGFI_SYSICONINDEX (0x4000): the icon and
/// its index in the system image list. With no SHGFI_SMALLICON (1) the icon is the large one
/// (SHGFI_LARGEICON is 0), of GetSystemMetrics(SM_CXICON) square. With SHGFI_SYSICONINDEX the
/// call answers the system image list, which belongs to the system and is never destroyed.
constexpr UINT kShellIconFlags = 0x4100;

/// The colour bitmap of an icon, without its mask: GetIconInfo, the mask bitmap deleted. The
/// bitmap belongs to the caller (DeleteObject); nullptr when the icon's information cannot be had.
HBITMAP IconColorBitmap(HICON icon);

/// The shell's large icon of path and its colour bitmap, released with the object.
class ShellIconHandles {
public:
    explicit ShellIconHandles(const std::wstring& path);
    ~ShellIconHandles();
    ShellIconHandles(const ShellIconHandles&) = delete;
    ShellIconHandles& operator=(const ShellIconHandles&) = delete;

    HICON Icon() const { return m_icon; }     ///< nullptr when the shell gave none
    HBITMAP Colour() const { return m_colour; } ///< nullptr when the icon has no colour bitmap
    int SystemIndex() const { return m_index; }

private:
    HICON m_icon = nullptr;
    HBITMAP m_colour = nullptr;
    int m_index = -1;
};

} // namespace kovalt::win32
