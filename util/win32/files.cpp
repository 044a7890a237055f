#include "files.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace kovalt::win32 {

namespace {

bool IsDotEntry(const WIN32_FIND_DATAW& data) {
    return std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0;
}

std::optional<WIN32_FIND_DATAW> FirstMatch(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    bool found = !IsDotEntry(data);
    while (!found && FindNextFileW(find, &data))
        found = !IsDotEntry(data);
    FindClose(find);
    if (!found) return std::nullopt;
    return data;
}

std::optional<DosDateTime> ToDos(const FILETIME& utc) {
    FILETIME local{};
    DosDateTime dos;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return std::nullopt;
    dos.date = date;
    dos.time = time;
    return dos;
}

// The same instant cut to the DOS resolution of its local time; unchanged outside the DOS range.
FILETIME AtDosResolution(const FILETIME& utc) {
    const std::optional<DosDateTime> dos = ToDos(utc);
    FILETIME local{}, cut{};
    if (!dos || !DosDateTimeToFileTime(dos->date, dos->time, &local) || !LocalFileTimeToFileTime(&local, &cut))
        return utc;
    return cut;
}

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h) {
        Close();
        m_h = h;
    }
    bool Close() {
        if (!Valid()) return true;
        const bool closed = CloseHandle(m_h) != 0;
        m_h = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_h;
};

bool Fail(unsigned long* error, DWORD code) {
    if (error) *error = code;
    return false;
}

} // namespace

std::optional<std::uint32_t> FirstMatchSize(const std::wstring& path) {
    const auto data = FirstMatch(path);
    if (!data) return std::nullopt;
    return std::uint32_t(data->nFileSizeLow);
}

std::optional<DosDateTime> FirstMatchDosDateTime(const std::wstring& path) {
    const auto data = FirstMatch(path);
    if (!data) return std::nullopt;
    return ToDos(data->ftLastWriteTime);
}

bool CopyFileWithDate(const std::wstring& source, const std::wstring& destination, unsigned long* error) {
    Handle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.Valid()) return Fail(error, GetLastError());
    FILETIME written{};
    if (!GetFileTime(in.Get(), nullptr, nullptr, &written)) return Fail(error, GetLastError());
    // A read-only destination stays as it is, as it would when written in place; a rename over it
    // is not refused everywhere (Wine allows it).
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(error, ERROR_ACCESS_DENIED);

    // The temporary file sits beside the destination, so putting it in place is a rename.
    std::wstring temporary;
    Handle out(INVALID_HANDLE_VALUE);
    for (unsigned attempt = 0; attempt < 100 && !out.Valid(); ++attempt) {
        wchar_t suffix[40];
        std::swprintf(suffix, 40, L".%lx-%lx.tmp", GetCurrentProcessId(), GetTickCount() + attempt);
        temporary = destination + suffix;
        out.Reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
        if (!out.Valid() && GetLastError() != ERROR_FILE_EXISTS) return Fail(error, GetLastError());
    }
    if (!out.Valid()) return Fail(error, ERROR_FILE_EXISTS);

    DWORD failure = 0;
    std::vector<char> block(16384);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.Get(), block.data(), DWORD(block.size()), &got, nullptr)) {
            failure = GetLastError();
            break;
        }
        if (got == 0) break;
        DWORD put = 0;
        if (!WriteFile(out.Get(), block.data(), got, &put, nullptr) || put != got) {
            failure = put != got && GetLastError() == 0 ? ERROR_WRITE_FAULT : GetLastError();
            break;
        }
    }
    if (!failure) {
        // The date goes on last: a write after it would set the time anew.
        const FILETIME stamp = AtDosResolution(written);
        if (!SetFileTime(out.Get(), nullptr, nullptr, &stamp)) failure = GetLastError();
    }
    if (!out.Close() && !failure) failure = GetLastError();
    if (!failure && !MoveFileExW(temporary.c_str(), destination.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = GetLastError();
    if (failure) {
        DeleteFileW(temporary.c_str());
        return Fail(error, failure);
    }
    return true;
}

bool SetCurrentDir(const std::wstring& dir) {
    return !dir.empty() && SetCurrentDirectoryW(dir.c_str()) != 0;
}

std::wstring CurrentDir() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring dir(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, dir.data());
    dir.resize(got < n ? got : 0);
    return dir;
}

} // namespace kovalt::win32
