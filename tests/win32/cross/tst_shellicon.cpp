// The shell's large icon of a file and an icon's colour bitmap without its mask.
#include "modules/win32/shellicon.h"
#include "winhelp.h"

#include <vector>

namespace {

using namespace kovalt::test;
using kovalt::win32::IconColorBitmap;
using kovalt::win32::ShellIconHandles;

struct BitmapShape {
    LONG width = 0, height = 0;
    WORD bitsPerPixel = 0;
};

std::optional<BitmapShape> ShapeOf(HBITMAP bitmap) {
    BITMAP b{};
    if (!bitmap || GetObjectW(bitmap, sizeof b, &b) != sizeof b) return std::nullopt;
    return BitmapShape{b.bmWidth, b.bmHeight, b.bmBitsPixel};
}

// The pixels of a bitmap as 32-bit BGRA rows from the top.
std::vector<DWORD> PixelsOf(HBITMAP bitmap, int side) {
    std::vector<DWORD> pixels(size_t(side) * side);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, UINT(side), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != side) pixels.clear();
    return pixels;
}

std::wstring SystemFolder() {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n);
}

TEST(ShellIcon, FlagsAreIconAndSystemIndex) {
    EXPECT_EQ(kovalt::win32::kShellIconFlags, 0x4100u);
    EXPECT_EQ(kovalt::win32::kShellIconFlags, UINT(SHGFI_ICON | SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    EXPECT_EQ(kovalt::win32::kShellIconFlags & SHGFI_SMALLICON, 0u);
}

struct IconCase {
    const char* name;
    std::wstring (*path)();
};

void PrintTo(const IconCase& c, std::ostream* os) {
    *os << c.name;
}

class ShellIconOf : public ::testing::TestWithParam<IconCase> {};

TEST_P(ShellIconOf, ProgramGivesLargeColourBitmap) {
    const std::wstring path = GetParam().path();
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << Utf8(path) << " is missing";
    const int side = GetSystemMetrics(SM_CXICON);
    ASSERT_GT(side, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CYICON), side);

    const ShellIconHandles shell(path);
    if (!shell.Icon()) GTEST_SKIP() << "the shell gives no icon for " << Utf8(path) << " here";
    EXPECT_GE(shell.SystemIndex(), 0);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shell.Icon(), &info));
    const auto iconShape = ShapeOf(info.hbmColor ? info.hbmColor : info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    ASSERT_TRUE(iconShape);
    EXPECT_EQ(iconShape->width, side) << "not the large icon";

    if (!shell.Colour()) GTEST_SKIP() << "the icon of " << Utf8(path) << " is monochrome here: no colour bitmap";
    const auto shape = ShapeOf(shell.Colour());
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->width, side);
    EXPECT_EQ(shape->height, side) << "a colour bitmap is one square, a mask would be two";
    EXPECT_GT(shape->bitsPerPixel, 1);
    const auto pixels = PixelsOf(shell.Colour(), side);
    ASSERT_FALSE(pixels.empty());
    bool drawn = false;
    for (DWORD p : pixels)
        drawn = drawn || (p & 0x00FFFFFF) != 0;
    EXPECT_TRUE(drawn) << "the colour bitmap is all black";
}

INSTANTIATE_TEST_SUITE_P(
    ShellIcon, ShellIconOf,
    ::testing::Values(IconCase{"TestProgram", [] { return ProgramFile(); }},
                      IconCase{"Notepad", [] { return SystemFolder() + L"\\notepad.exe"; }},
                      IconCase{"Explorer", [] {
                                   wchar_t dir[MAX_PATH];
                                   const UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
                                   return std::wstring(dir, n) + L"\\explorer.exe";
                               }}),
    [](const ::testing::TestParamInfo<IconCase>& info) { return std::string(info.param.name); });

TEST(ShellIcon, MissingFileGivesNone) {
    TempFolder folder(L"kovalt-noicon");
    const ShellIconHandles shell(folder / L"nothing.exe");
    EXPECT_EQ(shell.Icon(), nullptr);
    EXPECT_EQ(shell.Colour(), nullptr);
}

TEST(ShellIcon, ColourBitmapIsTheIconsColourWithoutMask) {
    constexpr int side = 32;
    // Colour: a diagonal split of two colours; mask: the left half transparent.
    std::vector<DWORD> colour(side * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            colour[size_t(y) * side + x] = x > y ? 0x00C01020 : 0x002080F0;
    std::vector<BYTE> mask(side * side / 8);
    for (int y = 0; y < side; ++y)
        for (int byte = 0; byte < side / 8; ++byte)
            mask[size_t(y) * (side / 8) + byte] = byte < side / 16 ? 0xFF : 0x00;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = side;
    bi.bmiHeader.biHeight = -side;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const HDC dc = GetDC(nullptr);
    void* bits = nullptr;
    const HBITMAP colourBitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, dc);
    ASSERT_TRUE(colourBitmap && bits);
    memcpy(bits, colour.data(), colour.size() * sizeof(DWORD));
    const HBITMAP maskBitmap = CreateBitmap(side, side, 1, 1, mask.data());
    ASSERT_TRUE(maskBitmap);
    ICONINFO made{};
    made.fIcon = TRUE;
    made.hbmColor = colourBitmap;
    made.hbmMask = maskBitmap;
    const HICON icon = CreateIconIndirect(&made);
    DeleteObject(colourBitmap);
    DeleteObject(maskBitmap);
    ASSERT_TRUE(icon) << LastErrorText();

    const HBITMAP taken = IconColorBitmap(icon);
    DestroyIcon(icon);
    ASSERT_TRUE(taken) << "no colour bitmap";
    // The bitmap is the caller's: it outlives the icon.
    const auto pixels = PixelsOf(taken, side);
    DeleteObject(taken);
    ASSERT_EQ(pixels.size(), colour.size());
    for (size_t i = 0; i < colour.size(); ++i) {
        // The masked-out half keeps its colour: the mask is not applied.
        ASSERT_EQ(pixels[i] & 0x00FFFFFF, colour[i]) << "pixel " << i % side << "," << i / side;
    }
}

TEST(ShellIcon, NoIconNoBitmap) {
    EXPECT_EQ(IconColorBitmap(nullptr), nullptr);
}

TEST(ShellIcon, RepeatedUseReleasesWhatItTakes) {
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0) GTEST_SKIP() << "GetGuiResources counts no GDI objects here (Wine answers 0)";
    for (int i = 0; i < 200; ++i) {
        const ShellIconHandles shell(ProgramFile());
        ASSERT_TRUE(shell.Icon());
    }
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before + 5);
}

} // namespace
