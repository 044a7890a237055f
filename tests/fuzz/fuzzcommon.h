#pragma once

#include "util/codepage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

// A broken property aborts, which libFuzzer records as a crash with the input that caused it.
#define FUZZ_CHECK(cond)                                                                                   \
    do {                                                                                                   \
        if (!(cond)) {                                                                                     \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);              \
            std::abort();                                                                                  \
        }                                                                                                  \
    } while (0)

namespace fuzz {

// Inputs are "file bytes", optionally followed by arguments, each after two RS bytes (0x1E 0x1E).
inline constexpr char kSeparator[] = "\x1E\x1E";

struct Input {
    QByteArray file;
    QStringList args;
};

inline Input SplitInput(const uint8_t* data, size_t size, int maxArgs) {
    const QByteArray all = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    Input in;
    qsizetype at = all.indexOf(kSeparator);
    in.file = QByteArray(all.constData(), at < 0 ? all.size() : at);
    while (at >= 0 && in.args.size() < maxArgs) {
        const qsizetype from = at + 2;
        at = all.indexOf(kSeparator, from);
        const qsizetype to = (at < 0 || in.args.size() + 1 == maxArgs) ? all.size() : at;
        in.args.append(QString::fromUtf8(all.constData() + from, to - from));
    }
    return in;
}

inline QString Arg(const Input& in, int i, const QString& fallback) {
    return i < in.args.size() ? in.args[i] : fallback;
}

// Scratch files go to memory where the system has it: the atomic writes sync every file.
inline QString ScratchRoot() {
    return QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

// A private folder under ScratchRoot, removed when the run ends.
inline QString MakeScratchDir(const char* tag) {
    static QString made;
    made = ScratchRoot() + QStringLiteral("/kovalt-fuzz-%1-%2/").arg(QLatin1String(tag)).arg(qint64(::getpid()));
    QDir().mkpath(made);
    std::atexit([] { QDir(made).removeRecursively(); });
    return made;
}

// True when the ANSI code page holds every character, so an ANSI write loses nothing.
inline bool AnsiCanHold(const QString& text) {
    return kovalt::DecodeAnsi(kovalt::EncodeAnsi(text)) == text;
}

inline bool AnsiCanHold(const QStringList& lines) {
    for (const QString& line : lines)
        if (!AnsiCanHold(line)) return false;
    return true;
}

inline bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

// UTF-8 can carry the text only when every surrogate stands in a pair.
inline bool IsWellFormedUtf16(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate()) return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

inline bool IsWellFormedUtf16(const QStringList& lines) {
    for (const QString& line : lines)
        if (!IsWellFormedUtf16(line)) return false;
    return true;
}

// A written ANSI file is read back as ANSI unless its first bytes look like a byte-order mark.
inline bool StartsLikeMark(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

} // namespace fuzz
