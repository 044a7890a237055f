// Any bytes through the text-file reader; the lines survive a write and a read in every encoding
// that can carry them.
#include "fuzzcommon.h"

#include "util/textfile.h"

using namespace kovalt;

namespace {
void CheckRoundTrip(const QStringList& lines, TextEncoding encoding) {
    const QByteArray bytes = EncodeText(lines, encoding);
    const TextFile back = DecodeText(bytes);
    FUZZ_CHECK(back.encoding == encoding);
    FUZZ_CHECK(back.lines == lines);
    // Writing what was read gives the same bytes again.
    FUZZ_CHECK(EncodeText(back.lines, back.encoding) == bytes);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TextFile file = DecodeText(bytes);

    for (const QString& line : file.lines)
        FUZZ_CHECK(!fuzz::HasLineBreak(line));
    FUZZ_CHECK(file.lines.isEmpty() || SplitLines(file.lines.join(u'\n') + u'\n') == file.lines);

    CheckRoundTrip(file.lines, TextEncoding::Utf16LE);
    CheckRoundTrip(file.lines, TextEncoding::Utf16BE);
    if (fuzz::IsWellFormedUtf16(file.lines)) CheckRoundTrip(file.lines, TextEncoding::Utf8);
    if (fuzz::AnsiCanHold(file.lines) && !fuzz::StartsLikeMark(EncodeText(file.lines, TextEncoding::Ansi)))
        CheckRoundTrip(file.lines, TextEncoding::Ansi);

    // An ANSI file keeps every byte of its lines; only the line breaks become CR LF.
    if (file.encoding == TextEncoding::Ansi) {
        QByteArray normal = bytes;
        normal.replace("\r\n", "\n").replace('\r', '\n');
        QByteArray expected;
        for (const QByteArray& line : normal.split('\n'))
            expected += line + "\r\n";
        if (normal.endsWith('\n') || normal.isEmpty()) expected.chop(2);
        FUZZ_CHECK(EncodeText(file.lines, TextEncoding::Ansi) == expected);
    }
    return 0;
}
