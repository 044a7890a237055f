#pragma once
// The system's ANSI code page (CP_ACP) on Windows, in the Windows API's own terms and without Qt,
// so it builds and is tested on its own (tests/win32). codepage_win.cpp is the bar's side.
#include <string>
#include <string_view>

namespace kovalt::win32 {

/// GetACP(): 1250 on a Czech Windows.
unsigned AnsiCodePage();

/// MultiByteToWideChar(CP_ACP).
std::wstring AnsiToWide(std::string_view bytes);

/// WideCharToMultiByte(CP_ACP). A character the code page lacks becomes "?"; it is not replaced
/// by a look-alike ("best fit", as "ř" would become "r" in code page 1252).
std::string WideToAnsi(std::wstring_view text);

} // namespace kovalt::win32
