// FirstMatchSize, FirstMatchDosDateTime, CopyFileWithDate and the current directory, on real files.
// Run with TZ=Europe/Prague, so local time is not UTC.
#include "util/win32/files.h"
#include "winhelp.h"

namespace {

using namespace kovalt::test;
using kovalt::win32::DosDateTime;

// What FileTimeToLocalFileTime applies: the zone's offset of now (not of the date converted).
LONGLONG PresentOffsetTicks() {
    TIME_ZONE_INFORMATION zone;
    const DWORD which = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    return -LONGLONG(bias) * 60 * 10000000;
}

TEST(Files, LocalTimeIsOffUtc) {
    // Without an offset the date tests below could not tell local time from UTC.
    ASSERT_NE(PresentOffsetTicks(), 0) << "the tests expect TZ=Europe/Prague";
}

struct DateCase {
    const char* name;
    FILETIME written; // UTC, as SetFileTime takes it
    bool inRange;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.name;
}

class FilesDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(FilesDate, LastWriteComesBackAtEvenSecondsInLocalTime) {
    const DateCase& c = GetParam();
    TempFolder folder(L"kovalt-date");
    const std::wstring path = folder / L"verze.log";
    ASSERT_TRUE(WriteBytes(path, "x"));
    ASSERT_TRUE(SetLastWrite(path, c.written)) << LastErrorText();

    const auto dos = kovalt::win32::FirstMatchDosDateTime(path);
    if (!c.inRange) {
        EXPECT_FALSE(dos) << "a date before 1980 has no DOS form";
        return;
    }
    ASSERT_TRUE(dos);
    // The expectation is worked out here from the UTC fields and the zone's offset.
    SYSTEMTIME local{};
    const FILETIME shifted = FromTicks(Ticks(c.written) + PresentOffsetTicks());
    ASSERT_TRUE(FileTimeToSystemTime(&shifted, &local));
    EXPECT_EQ(dos->Year(), local.wYear);
    EXPECT_EQ(dos->Month(), local.wMonth);
    EXPECT_EQ(dos->Day(), local.wDay);
    EXPECT_EQ(dos->Hour(), local.wHour);
    EXPECT_EQ(dos->Minute(), local.wMinute);
    EXPECT_EQ(dos->Second(), local.wSecond - local.wSecond % 2);
    EXPECT_EQ(dos->Second() % 2, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FilesDate,
    ::testing::Values(DateCase{"OddSecond", Utc(2024, 1, 15, 12, 45, 27, 700), true},
                      DateCase{"EvenSecond", Utc(2024, 1, 15, 8, 0, 0), true},
                      // Over midnight and into a leap day by the local offset.
                      DateCase{"LastSecondOfDay", Utc(2024, 2, 28, 23, 59, 59, 999), true},
                      DateCase{"Summer", Utc(2023, 7, 1, 10, 30, 13), true},
                      DateCase{"Before1980", Utc(1975, 6, 1, 12, 0, 1), false}),
    [](const ::testing::TestParamInfo<DateCase>& info) { return std::string(info.param.name); });

TEST(Files, SizeAndDateOfTheFirstMatch) {
    TempFolder folder(L"kovalt-match");
    ASSERT_TRUE(WriteBytes(folder / L"setupkovalt05.ver", std::string(12345, 'v')));
    ASSERT_TRUE(WriteBytes(folder / L"empty.ver", ""));
    ASSERT_TRUE(SetLastWrite(folder / L"setupkovalt05.ver", Utc(2024, 3, 14, 8, 26, 53)));
    const std::wstring sub = folder / L"podsložka";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(sub + L"\\only.dat", std::string(77, 'd')));

    EXPECT_EQ(kovalt::win32::FirstMatchSize(folder / L"setupkovalt05.ver"), 12345u);
    EXPECT_EQ(kovalt::win32::FirstMatchSize(folder / L"SETUPKOVALT05.VER"), 12345u) << "letter case is no matter";
    EXPECT_EQ(kovalt::win32::FirstMatchSize(folder / L"empty.ver"), 0u);
    EXPECT_EQ(kovalt::win32::FirstMatchSize(folder / L"setup*.ver"), 12345u);
    // "." and ".." come first in a folder's listing; the first real entry counts.
    EXPECT_EQ(kovalt::win32::FirstMatchSize(sub + L"\\*"), 77u);
    EXPECT_FALSE(kovalt::win32::FirstMatchSize(folder / L"missing.ver"));
    EXPECT_FALSE(kovalt::win32::FirstMatchSize(folder / L"*.nothing"));
    EXPECT_FALSE(kovalt::win32::FirstMatchSize(L""));
    EXPECT_FALSE(kovalt::win32::FirstMatchDosDateTime(folder / L"missing.ver"));

    const auto byName = kovalt::win32::FirstMatchDosDateTime(folder / L"setupkovalt05.ver");
    const auto byStar = kovalt::win32::FirstMatchDosDateTime(folder / L"s*05.ver");
    ASSERT_TRUE(byName);
    ASSERT_TRUE(byStar);
    EXPECT_EQ(*byName, *byStar);
    EXPECT_EQ(byName->Second(), 52);
}

TEST(Files, SizeKeepsTheLow32Bits) {
    TempFolder folder(L"kovalt-big");
    const std::wstring path = folder / L"big.bin";
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // 4 GiB + 5 bytes; the host's file system keeps it sparse.
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG(1) << 32) + 5;
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!sized) GTEST_SKIP() << "a file of 4 GiB cannot be made here: " << LastErrorText();
    EXPECT_EQ(kovalt::win32::FirstMatchSize(path), 5u);
}

TEST(Files, CopyCarriesTheSourceDate) {
    TempFolder folder(L"kovalt-copy");
    const std::wstring source = folder / L"moduly.ini";
    const std::wstring backup = folder / L"moduly.ori";
    // More than two 16 KiB blocks and not a whole number of them.
    std::string content;
    for (int i = 0; content.size() < 40000; ++i)
        content.append("[").append(std::to_string(i)).append("]\r\nModulnazev=Účetnictví\r\n");
    ASSERT_TRUE(WriteBytes(source, content));
    const FILETIME written = Utc(2023, 11, 2, 14, 7, 39, 250);
    ASSERT_TRUE(SetLastWrite(source, written));
    // An older, longer backup is replaced whole.
    ASSERT_TRUE(WriteBytes(backup, std::string(50000, 'o')));

    unsigned long error = 0;
    ASSERT_TRUE(kovalt::win32::CopyFileWithDate(source, backup, &error)) << LastErrorText(error);
    EXPECT_EQ(ReadBytes(backup), content);
    const auto sourceDos = kovalt::win32::FirstMatchDosDateTime(source);
    const auto copyDos = kovalt::win32::FirstMatchDosDateTime(backup);
    ASSERT_TRUE(sourceDos);
    ASSERT_TRUE(copyDos);
    EXPECT_EQ(*copyDos, *sourceDos);
    // The copy's own time is the source's cut to the even second: 39.25 s becomes 38 s.
    const auto copyTime = LastWrite(backup);
    ASSERT_TRUE(copyTime);
    EXPECT_EQ(Ticks(*copyTime), Ticks(Utc(2023, 11, 2, 14, 7, 38)));
    // The source keeps its own.
    EXPECT_EQ(Ticks(*LastWrite(source)), Ticks(written));
    // Nothing is left beside the copy.
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder / L"*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left: " << Utf8(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(Files, FailedCopyLeavesTheDestinationWhole) {
    TempFolder folder(L"kovalt-copyfail");
    const std::wstring source = folder / L"moduly.ini";
    const std::wstring backup = folder / L"moduly.old";
    ASSERT_TRUE(WriteBytes(source, "new"));
    ASSERT_TRUE(WriteBytes(backup, "old backup"));

    unsigned long error = 0;
    EXPECT_FALSE(kovalt::win32::CopyFileWithDate(folder / L"missing.ini", backup, &error));
    EXPECT_EQ(error, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadBytes(backup), "old backup");

    // A read-only destination is not replaced.
    ASSERT_TRUE(SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_READONLY));
    error = 0;
    EXPECT_FALSE(kovalt::win32::CopyFileWithDate(source, backup, &error));
    EXPECT_EQ(error, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(backup), "old backup");

    // Into a folder that does not exist.
    error = 0;
    EXPECT_FALSE(kovalt::win32::CopyFileWithDate(source, folder / L"none\\moduly.ori", &error));
    EXPECT_EQ(error, static_cast<unsigned long>(ERROR_PATH_NOT_FOUND));

    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder / L"*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left: " << Utf8(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(Files, CurrentDirectory) {
    TempFolder folder(L"kovalt-cwd");
    const std::wstring dir = folder / L"Sklad č. 2";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    KeepCurrentDir keep;
    ASSERT_TRUE(kovalt::win32::SetCurrentDir(dir)) << LastErrorText();
    EXPECT_EQ(kovalt::win32::CurrentDir(), dir);
    // A relative name now resolves in it.
    ASSERT_TRUE(WriteBytes(L"here.txt", "h"));
    EXPECT_EQ(kovalt::win32::FirstMatchSize(dir + L"\\here.txt"), 1u);
    EXPECT_FALSE(kovalt::win32::SetCurrentDir(folder / L"missing"));
    EXPECT_FALSE(kovalt::win32::SetCurrentDir(L""));
    EXPECT_EQ(kovalt::win32::CurrentDir(), dir) << "a failed change keeps the directory";
}

} // namespace
