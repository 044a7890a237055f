// The settings file's server part extraction, activation rewrite, file rebuild and server label
// over an arbitrary file and an arbitrary chosen name.
#include "fuzzcommon.h"

#include "servers/settingsfile.h"
#include "util/error.h"
#include "util/strutil.h"
#include "util/textfile.h"

#include <QDir>
#include <QFile>

using namespace kovalt;

namespace {
struct Parts {
    qsizetype section = -1; // index of the section line
    qsizetype update = -1;  // index of the first line of the update part
};

Parts FindParts(const QStringList& lines) {
    Parts p;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (p.section < 0 && UpperAscii(lines[i]) == QLatin1String("[LOGON]")) {
            p.section = i;
        } else if (p.section >= 0 && lines[i].startsWith(QLatin1String("FTP"))) {
            p.update = i;
            break;
        }
    }
    if (p.section >= 0 && p.update < 0) p.update = lines.size();
    return p;
}

// The raw bytes of each line of an ANSI file, as the file holds them.
QByteArrayList RawLines(QByteArray bytes) {
    if (bytes.isEmpty()) return {};
    bytes.replace("\r\n", "\n").replace('\r', '\n');
    if (bytes.endsWith('\n')) bytes.chop(1);
    return bytes.split('\n');
}

const QString& ScratchFile() {
    static const QString path = fuzz::MakeScratchDir("settings") + QStringLiteral("kovalt05.ini");
    return path;
}

void CheckActivation(const QByteArray& bytes, const TextFile& file, const QString& name, bool throughFile) {
    const QStringList& lines = file.lines;
    const Parts p = FindParts(lines);
    const QStringList part = ExtractServerPart(lines);
    if (p.section < 0) {
        FUZZ_CHECK(part.isEmpty());
    } else {
        FUZZ_CHECK(part == lines.mid(p.section + 1, p.update - p.section - 1));
    }

    const QStringList rewritten = ActivationRewrite(part, name);
    FUZZ_CHECK(rewritten.size() == part.size());
    for (qsizetype i = 0; i < part.size(); ++i) {
        // Only comment marks come and go; an empty line without one becomes a lone mark.
        if (ClassifyLine(part[i]) == LineKind::Empty && !part[i].contains(u';') && rewritten[i] != part[i])
            FUZZ_CHECK(rewritten[i] == QStringLiteral(";"));
        else
            FUZZ_CHECK(WithoutSemicolons(rewritten[i]) == WithoutSemicolons(part[i]));
        if (part[i] == u';' + name) FUZZ_CHECK(rewritten[i] == part[i]);
    }
    // Activating again changes nothing, unless the first pass made a new name line for the block by
    // commenting a line that was the bare name (a block whose name line lacked its mark).
    bool newNameLine = false;
    for (qsizetype i = 0; i < part.size(); ++i)
        newNameLine = newNameLine || (rewritten[i] == u';' + name && part[i] != rewritten[i]);
    if (!newNameLine) FUZZ_CHECK(ActivationRewrite(rewritten, name) == rewritten);

    const QStringList rebuilt = FileRebuild(lines, rewritten);
    FUZZ_CHECK(rebuilt.size() == lines.size());
    if (p.section < 0) {
        FUZZ_CHECK(rebuilt == lines);
        return;
    }
    FUZZ_CHECK(rebuilt.mid(0, p.section + 1) == lines.mid(0, p.section + 1));
    FUZZ_CHECK(rebuilt.mid(p.section + 1, part.size()) == rewritten);
    FUZZ_CHECK(rebuilt.mid(p.update) == lines.mid(p.update));
    if (!newNameLine) FUZZ_CHECK(FileRebuild(rebuilt, ActivationRewrite(ExtractServerPart(rebuilt), name)) == rebuilt);

    // Byte for byte: prelude and update part of an ANSI file are written as they were read.
    const QByteArray written = EncodeText(rebuilt, TextEncoding::Ansi);
    if (file.encoding == TextEncoding::Ansi) {
        const QByteArrayList before = RawLines(bytes), after = RawLines(written);
        FUZZ_CHECK(before.size() == after.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            if (i <= p.section || i >= p.update) FUZZ_CHECK(before[i] == after[i]);
        }
    }

    // Through the file: what is on disk afterwards reads back as the lines the caller now holds.
    if (throughFile && fuzz::AnsiCanHold(rebuilt) && !fuzz::StartsLikeMark(written)) {
        QFile::remove(ScratchFile());
        QStringList settingsLines = lines, serverPart = part;
        ActivateServerInFile(ScratchFile(), settingsLines, serverPart, name);
        FUZZ_CHECK(settingsLines == rebuilt);
        FUZZ_CHECK(serverPart == rewritten);
        FUZZ_CHECK(ReadTextFile(ScratchFile()).lines == rebuilt);
    }
}

void CheckLabel(const QStringList& lines) {
    const QString label = NazevServeruFromLines(lines);
    FUZZ_CHECK(label.isEmpty() || (label.startsWith(u'(') && label.endsWith(u')')));
    FUZZ_CHECK(!label.contains(u';'));
    const QString text = ConnectionErrorText(label);
    FUZZ_CHECK(text.contains(label));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::Input in = fuzz::SplitInput(data, size, 1);
    const TextFile file = DecodeText(in.file);
    CheckLabel(file.lines);
    for (const QString& line : file.lines) {
        const LineKind kind = ClassifyLine(line);
        FUZZ_CHECK(IsKeyLine(line) == (kind == LineKind::Key || kind == LineKind::AddressActive ||
                                       kind == LineKind::AddressCommented));
    }
    try {
        if (!in.args.isEmpty()) {
            CheckActivation(in.file, file, in.args[0], true);
        } else {
            // No name given: activate each block the file names, and one it does not.
            int tried = 0;
            for (const QString& line : ExtractServerPart(file.lines)) {
                if (tried == 8) break;
                if (ClassifyLine(line) == LineKind::Name) {
                    CheckActivation(in.file, file, WithoutSemicolons(line), tried == 0);
                    ++tried;
                }
            }
            CheckActivation(in.file, file, QStringLiteral("nonexistent"), tried == 0);
        }
    } catch (const Error& e) {
        std::fprintf(stderr, "unexpected error: %s\n", e.what());
        std::abort();
    }
    return 0;
}
