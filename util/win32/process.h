#pragma once
// Process start on Windows, in the Windows API's own terms and without Qt, so it builds and is
// tested on its own (tests/win32). runcommand_win.cpp converts the bar's texts at the boundary.
#include <string>

namespace kovalt::win32 {

/// Creation flags of every start: NORMAL_PRIORITY_CLASS (32).
constexpr unsigned long kStartCreationFlags = 0x20;
/// Start-up flags: STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK (65), so wShowWindow counts
/// and the cursor shows the start.
constexpr unsigned long kStartStartupFlags = 0x41;

struct StartOutcome {
    bool started = false;
    unsigned long error = 0;    ///< GetLastError() of a failed start
    unsigned long exitCode = 0; ///< the process's exit code, when waited for
};

/// CreateProcessW with no application name: the program is the first item of commandLine, found
/// by Windows' own rules. The child gets the caller's environment and current directory, its
/// window SW_SHOWNORMAL or, with hidden, SW_HIDE. With wait, waits without limit for its end.
StartOutcome StartProcess(const std::wstring& commandLine, bool hidden, bool wait);

} // namespace kovalt::win32
