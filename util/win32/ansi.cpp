#include "ansi.h"

#include <windows.h>

namespace kovalt::win32 {

unsigned AnsiCodePage() {
    return GetACP();
}

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), wide.data(), n);
    return wide;
}

std::string WideToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    // UTF-8 as the system code page (a Windows 10 option) takes no best-fit flag and lacks nothing.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* missing = utf8 ? nullptr : "?";
    const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), nullptr, 0, missing, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), out.data(), n, missing, nullptr);
    return out;
}

} // namespace kovalt::win32
