// The ANSI code page conversions. Wine takes the code page from the locale's name in LC_ALL (the
// locale need not be installed): C.UTF-8 gives 1252, cs_CZ.UTF-8 gives 1250. The test run says
// which one it expects in KOVALT_EXPECT_ACP.
#include "util/win32/ansi.h"
#include "winhelp.h"

#include <cstdlib>

namespace {

using kovalt::test::Utf8;
using namespace kovalt::win32;

unsigned ExpectedCodePage() {
    const char* v = std::getenv("KOVALT_EXPECT_ACP");
    return v ? unsigned(std::strtoul(v, nullptr, 10)) : 0;
}

TEST(Ansi, CodePageIsTheSystems) {
    const unsigned expected = ExpectedCodePage();
    ASSERT_NE(expected, 0u) << "KOVALT_EXPECT_ACP is not set";
    EXPECT_EQ(AnsiCodePage(), expected);
    EXPECT_EQ(AnsiCodePage(), GetACP());
}

struct AnsiCase {
    unsigned codePage;
    std::wstring text;
    std::string bytes;
    bool roundTrip; // the bytes decode to text again
};

// The bytes as each code page has them; a character a code page lacks is "?", never a look-alike.
const AnsiCase kCases[] = {
    {1250, L"Příliš žluťoučký kůň úpěl ďábelské ódy",
     "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1\x62\x65lsk\xE9 \xF3\x64y", true},
    {1250, L"ČŘŠŽÝÁÍÉÚŮĎŤŇ", "\xC8\xD8\x8A\x8E\xDD\xC1\xCD\xC9\xDA\xD9\xCF\x8D\xD2", true},
    {1250, L"€ 12,50 „uvozovky“", "\x80 12,50 \x84uvozovky\x93", true},
    {1250, L"è ß Ж", "? \xDF ?", false},
    {1252, L"café è ß €", "caf\xE9 \xE8 \xDF \x80", true},
    {1252, L"Šárka žije", "\x8A\xE1rka \x9Eije", true},
    // No best fit: "ř" would be "r", "ů" "u" and "Č" "C" otherwise.
    {1252, L"Příliš kůň Č", "P?\xEDli\x9A k?? ?", false},
    {1252, L"Ж", "?", false},
};

TEST(Ansi, TextAndBytesOfTheCodePage) {
    const unsigned cp = GetACP();
    int checked = 0;
    for (const AnsiCase& c : kCases) {
        if (c.codePage != cp) continue;
        ++checked;
        SCOPED_TRACE(Utf8(c.text));
        EXPECT_EQ(WideToAnsi(c.text), c.bytes);
        if (c.roundTrip) {
            EXPECT_EQ(AnsiToWide(c.bytes), c.text);
        }
    }
    EXPECT_GT(checked, 0) << "no case for code page " << cp;
}

TEST(Ansi, EveryByteRoundTrips) {
    // A single-byte code page maps each byte to one character; the defined ones come back as they were.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    const std::wstring wide = AnsiToWide(all);
    ASSERT_EQ(wide.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string back = WideToAnsi(std::wstring(1, wide[i]));
        // Bytes the code page leaves undefined decode to a stand-in that need not encode back.
        if (back == "?" && all[i] != '?') continue;
        EXPECT_EQ(back, all.substr(i, 1)) << "byte " << (unsigned char)all[i];
    }
}

TEST(Ansi, EmptyAndEmbeddedNul) {
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
    const std::string withNul("a\0b", 3);
    EXPECT_EQ(AnsiToWide(withNul), std::wstring(L"a\0b", 3));
    EXPECT_EQ(WideToAnsi(std::wstring(L"a\0b", 3)), withNul);
}

} // namespace
