#include "process.h"

#include <windows.h>

namespace kovalt::win32 {

StartOutcome StartProcess(const std::wstring& commandLine, bool hidden, bool wait) {
    StartOutcome outcome;
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring buffer = commandLine;
    STARTUPINFOW startup{};
    startup.cb = DWORD(sizeof startup);
    startup.dwFlags = kStartStartupFlags;
    startup.wShowWindow = WORD(hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, kStartCreationFlags, nullptr, nullptr,
                        &startup, &info)) {
        outcome.error = GetLastError();
        return outcome;
    }
    outcome.started = true;
    if (wait) {
        // A console program has no input to be idle on; that call then fails at once, harmlessly.
        WaitForInputIdle(info.hProcess, INFINITE);
        WaitForSingleObject(info.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(info.hProcess, &code)) outcome.exitCode = code;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return outcome;
}

} // namespace kovalt::win32
