// Started by the process tests: writes what it was started with, one item a line, UTF-16LE, to
// the file KOVALT_CHILD_OUT names (through a temporary file, so a reader sees all or nothing):
//   command line (GetCommandLineW), current directory, STARTUPINFO dwFlags and wShowWindow,
//   the variable KOVALT_CHILD_MARK.
// With KOVALT_CHILD_GO set it first waits, up to 20 s, until that file exists. It ends with the
// exit code KOVALT_CHILD_EXIT (0 when unset).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {
std::wstring Variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}
} // namespace

int wmain() {
    const std::wstring out = Variable(L"KOVALT_CHILD_OUT");
    if (out.empty()) return 100;
    const std::wstring go = Variable(L"KOVALT_CHILD_GO");
    if (!go.empty()) {
        int tenths = 200;
        while (GetFileAttributesW(go.c_str()) == INVALID_FILE_ATTRIBUTES && tenths-- > 0)
            Sleep(100);
        if (tenths < 0) return 101;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    wchar_t cwd[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, cwd);

    std::wstring text = L"\xFEFF";
    text += GetCommandLineW();
    text += L'\n';
    text.append(cwd, n);
    text += L'\n' + std::to_wstring(startup.dwFlags) + L'\n' + std::to_wstring(startup.wShowWindow) + L'\n';
    text += Variable(L"KOVALT_CHILD_MARK") + L'\n';

    const std::wstring temporary = out + L".part";
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 102;
    DWORD put = 0;
    const DWORD bytes = DWORD(text.size() * sizeof(wchar_t));
    const bool written = WriteFile(file, text.data(), bytes, &put, nullptr) && put == bytes;
    CloseHandle(file);
    if (!written || !MoveFileExW(temporary.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING)) return 103;
    return int(std::wcstol(Variable(L"KOVALT_CHILD_EXIT").c_str(), nullptr, 10));
}
