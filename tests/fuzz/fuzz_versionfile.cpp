// The version file as the update check reads it: the remote version from any bytes, the version
// report written from it, and the comparison with a local version.
#include "fuzzcommon.h"

#include "update/updatecheck.h"
#include "util/error.h"
#include "util/strutil.h"
#include "util/textfile.h"

#include <QDateTime>

using namespace kovalt;

namespace {
void CheckOrder(const QString& a, const QString& b) {
    const bool ab = IsNewerVersion(a, b), ba = IsNewerVersion(b, a);
    if (a == b) {
        FUZZ_CHECK(!ab && !ba);
    } else {
        FUZZ_CHECK(ab != ba);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TextFile version = DecodeText(bytes);
    QString remote;
    try {
        remote = RemoteVersion(version.lines);
    } catch (const Error& e) {
        FUZZ_CHECK(version.lines.size() < 2);
        FUZZ_CHECK(e.message() == QStringLiteral("List index out of bounds (1)"));
        return 0;
    }
    FUZZ_CHECK(version.lines.size() >= 2);
    FUZZ_CHECK(remote.size() <= 19);
    FUZZ_CHECK(!remote.contains(u'\t') && !fuzz::HasLineBreak(remote));
    FUZZ_CHECK(version.lines[1].contains(remote));
    FUZZ_CHECK(remote.isEmpty() || version.lines[1].count(u'\t') >= 2);
    FUZZ_CHECK(remote == LeftChars(FieldAt(version.lines[1], u'\t', 2), 19));

    // The version report keeps the remote version when read back in the encoding it was written in.
    const QString local = LocalVersionText(QDateTime(QDate(2026, 12, 11), QTime(11, 58, 2)));
    const QStringList report{QStringLiteral("Verze programu: ") + local, QStringLiteral("Verze internet: ") + remote};
    const TextFile back = DecodeText(EncodeText(report, version.encoding));
    const bool carried = version.encoding == TextEncoding::Utf16LE || version.encoding == TextEncoding::Utf16BE ||
                         (version.encoding == TextEncoding::Utf8 && fuzz::IsWellFormedUtf16(remote)) ||
                         (version.encoding == TextEncoding::Ansi && fuzz::AnsiCanHold(remote));
    if (carried) {
        FUZZ_CHECK(back.encoding == version.encoding);
        FUZZ_CHECK(back.lines == report);
    }

    CheckOrder(remote, local);
    CheckOrder(remote, remote.left(remote.size() / 2));
    if (remote.size() >= 2) CheckOrder(remote, remote.left(remote.size() - 1) + QChar(remote.back().unicode() ^ 1));
    return 0;
}
