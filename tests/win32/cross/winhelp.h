#pragma once
// Small helpers of the Win32 tests: a private folder, whole-file reads and writes, file times.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kovalt::test {

/// GetLastError() as text, for failure messages.
inline std::string LastErrorText(DWORD code = GetLastError()) {
    return "Windows error " + std::to_string(code);
}

/// UTF-8 of a wide text, for failure messages.
inline std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

/// The folder of the running test program, with its trailing backslash.
inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

inline std::wstring ProgramFile() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, n);
}

/// A new empty folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"kovalt") {
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        for (unsigned i = 0; i < 1000 && m_path.empty(); ++i) {
            std::wstring candidate = std::wstring(base) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(GetTickCount() + i);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) m_path = candidate + L"\\";
        }
        EXPECT_FALSE(m_path.empty()) << "cannot create a folder under the temporary folder";
    }
    ~TempFolder() {
        if (!m_path.empty()) Remove(m_path.substr(0, m_path.size() - 1));
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    /// The folder with its trailing backslash.
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }

private:
    static void Remove(const std::wstring& dir) {
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + L"\\" + name;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(path);
                else
                    DeleteFileW(path.c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(dir.c_str());
    }
    std::wstring m_path;
};

/// Keeps the current directory of the test program as it was (a folder in use cannot be removed).
class KeepCurrentDir {
public:
    KeepCurrentDir() {
        wchar_t dir[MAX_PATH * 4];
        m_dir.assign(dir, GetCurrentDirectoryW(MAX_PATH * 4, dir));
    }
    ~KeepCurrentDir() { SetCurrentDirectoryW(m_dir.c_str()); }
    KeepCurrentDir(const KeepCurrentDir&) = delete;
    KeepCurrentDir& operator=(const KeepCurrentDir&) = delete;

private:
    std::wstring m_dir;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
    return CloseHandle(file) && ok;
}

inline std::optional<std::string> ReadBytes(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

/// The last-write time of a file as Windows keeps it (UTC); none when it cannot be read.
inline std::optional<FILETIME> LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data.ftLastWriteTime;
}

inline bool SetLastWrite(const std::wstring& path, const FILETIME& utc) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(file, nullptr, nullptr, &utc) != 0;
    return CloseHandle(file) && ok;
}

inline ULONGLONG Ticks(const FILETIME& t) {
    return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

inline FILETIME FromTicks(ULONGLONG ticks) {
    return FILETIME{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
}

/// A UTC time from its fields; milliseconds included.
inline FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    st.wMilliseconds = ms;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

} // namespace kovalt::test
