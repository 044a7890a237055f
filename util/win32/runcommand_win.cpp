// Windows: CreateProcessW with the whole command line, as the suite's modules expect to be started.
#include "../runcommand.h"

#include <windows.h>

#include <string>

namespace kovalt {

bool RunCommand(const QString& commandLine, bool hidden, bool wait) {
    // CreateProcessW may write into the command line buffer, so it must be a modifiable copy.
    std::wstring buffer = commandLine.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = DWORD(sizeof startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = WORD(hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
        return false;
    if (wait) {
        WaitForInputIdle(info.hProcess, INFINITE);
        WaitForSingleObject(info.hProcess, INFINITE);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

} // namespace kovalt
