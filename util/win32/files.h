#pragma once
// File sizes, dates and copies on Windows, in the Windows API's own terms and without Qt, so they
// build and are tested on their own (tests/win32). fileutil_win.cpp is the bar's side.
#include <cstdint>
#include <optional>
#include <string>

namespace kovalt::win32 {

/// A local time in the DOS date-and-time format: two-second resolution, years 1980 to 2107.
struct DosDateTime {
    std::uint16_t date = 0; ///< bits 15-9 year - 1980, 8-5 month, 4-0 day
    std::uint16_t time = 0; ///< bits 15-11 hour, 10-5 minute, 4-0 second / 2

    int Year() const { return 1980 + (date >> 9); }
    int Month() const { return (date >> 5) & 0x0F; }
    int Day() const { return date & 0x1F; }
    int Hour() const { return time >> 11; }
    int Minute() const { return (time >> 5) & 0x3F; }
    int Second() const { return (time & 0x1F) * 2; }
    bool operator==(const DosDateTime&) const = default;
};

/// Size, low 32 bits, of the first directory entry matching path (wildcards allowed, as
/// FindFirstFileW takes them; "." and ".." are passed over); none when nothing matches.
std::optional<std::uint32_t> FirstMatchSize(const std::wstring& path);

/// Last-write time of the first directory entry matching path, in local time at the DOS
/// resolution (FileTimeToLocalFileTime, then FileTimeToDosDateTime); none when nothing matches
/// or the time lies outside the DOS range. As FileTimeToLocalFileTime does, the zone's present
/// offset is applied, also to a date on the other side of a daylight-saving change.
std::optional<DosDateTime> FirstMatchDosDateTime(const std::wstring& path);

/// Copies source to destination in 16 KiB blocks through a temporary file in the destination's
/// folder, gives the copy the source's last-write time at the DOS resolution, then puts it in
/// place of destination. The old destination stays whole when anything fails. On failure,
/// *error (when given) is the GetLastError() code.
bool CopyFileWithDate(const std::wstring& source, const std::wstring& destination, unsigned long* error = nullptr);

/// SetCurrentDirectoryW; a process started afterwards starts in dir.
bool SetCurrentDir(const std::wstring& dir);
/// GetCurrentDirectoryW.
std::wstring CurrentDir();

} // namespace kovalt::win32
