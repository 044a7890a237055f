// The INI key lookup and the single key write over an arbitrary file and an arbitrary
// section, key and value: a write touches only its key's line, or adds one line, or adds the
// section and one line; a lookup afterwards finds the value written.
#include "fuzzcommon.h"

#include "util/ini.h"
#include "util/textfile.h"

using namespace kovalt;

namespace {
// The key line the write is expected to replace: the profile rules spelled out once more, plainly.
qsizetype ExpectedKeyLine(const QStringList& lines, const QString& section, const QString& key) {
    bool inSection = false;
    bool seen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(u'[') && t.contains(u']')) {
            if (seen) return -1;
            inSection = t.mid(1, t.indexOf(u']') - 1).trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0;
            seen = inSection;
            continue;
        }
        if (!inSection || t.startsWith(u';') || !lines[i].contains(u'=')) continue;
        if (lines[i].left(lines[i].indexOf(u'=')).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool SectionExists(const QStringList& lines, const QString& section) {
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']') &&
            t.mid(1, t.indexOf(u']') - 1).trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Section, key and value that the line format can hold so that a lookup gives the value back.
bool LookupCanFindIt(const QString& section, const QString& key, const QString& value) {
    const QString k = key.trimmed();
    if (fuzz::HasLineBreak(section) || fuzz::HasLineBreak(key) || fuzz::HasLineBreak(value)) return false;
    if (section.contains(u']') || k.contains(u'=') || k.startsWith(u';') || k.startsWith(u'[')) return false;
    if (value != value.trimmed() || value.size() > 2047) return false;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return false;
    return true;
}

void CheckWrite(const QStringList& lines, const QString& section, const QString& key, const QString& value) {
    const QStringList out = IniWriteKey(lines, section, key, value);
    const qsizetype at = ExpectedKeyLine(lines, section, key);
    if (at >= 0) {
        FUZZ_CHECK(out.size() == lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i == at)
                FUZZ_CHECK(out[i] == lines[i].left(lines[i].indexOf(u'=') + 1) + value);
            else
                FUZZ_CHECK(out[i] == lines[i]);
        }
    } else if (SectionExists(lines, section)) {
        FUZZ_CHECK(out.size() == lines.size() + 1);
        // One line added inside the existing section, every other line in its place.
        qsizetype added = 0;
        while (added < lines.size() && out[added] == lines[added])
            ++added;
        FUZZ_CHECK(out[added] == key.trimmed() + u'=' + value);
        for (qsizetype i = added; i < lines.size(); ++i)
            FUZZ_CHECK(out[i + 1] == lines[i]);
    } else {
        FUZZ_CHECK(out.size() == lines.size() + 2);
        FUZZ_CHECK(out.mid(0, lines.size()) == lines);
        FUZZ_CHECK(out[lines.size()] == u'[' + section.trimmed() + u']');
        FUZZ_CHECK(out[lines.size() + 1] == key.trimmed() + u'=' + value);
    }

    if (LookupCanFindIt(section, key, value)) {
        FUZZ_CHECK(IniHasKey(out, section, key));
        FUZZ_CHECK(IniReadString(out, section, key, QStringLiteral("\x01")) == value);
        // The file keeps it too, in each encoding that holds the lines unchanged.
        const QStringList back = DecodeText(EncodeText(out, TextEncoding::Utf16LE)).lines;
        FUZZ_CHECK(back == out);
    }
    // Writing the same value again changes nothing.
    FUZZ_CHECK(IniWriteKey(out, section, key, value) == out || !LookupCanFindIt(section, key, value));
}

// A section and key of the file to aim at when the input names none.
void FirstKeyOf(const QStringList& lines, QString& section, QString& key) {
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']')) {
            if (!key.isEmpty()) return;
            section = t.mid(1, t.indexOf(u']') - 1);
        } else if (!section.isEmpty() && key.isEmpty() && line.contains(u'=') && !t.startsWith(u';')) {
            key = line.left(line.indexOf(u'=')).trimmed();
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::Input in = fuzz::SplitInput(data, size, 3);
    const QStringList lines = DecodeText(in.file).lines;
    QString fileSection, fileKey;
    FirstKeyOf(lines, fileSection, fileKey);
    const QString section = fuzz::Arg(in, 0, fileSection.isEmpty() ? QStringLiteral("TForm3") : fileSection);
    const QString key = fuzz::Arg(in, 1, fileKey.isEmpty() ? QStringLiteral("Left") : fileKey);
    const QString value = fuzz::Arg(in, 2, QStringLiteral("42"));

    // Lookups on the file as it is: no crash, values within their bound, the forms agree.
    const QString read = IniReadString(lines, section, key, QStringLiteral("\x01"));
    FUZZ_CHECK(read.size() <= 2047);
    FUZZ_CHECK(IniHasKey(lines, section, key) == (ExpectedKeyLine(lines, section, key) >= 0));
    const int number = IniReadInt(lines, section, key, 7);
    FUZZ_CHECK(IniReadBool(lines, section, key, true) == (IniReadInt(lines, section, key, 1) != 0));
    if (!IniHasKey(lines, section, key)) FUZZ_CHECK(number == 7);

    CheckWrite(lines, section, key, value);
    CheckWrite(lines, section, key, QString());
    return 0;
}
