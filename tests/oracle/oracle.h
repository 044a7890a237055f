// Windows as the oracle: a probe program (probes/*.cpp, cross-built) runs under Wine, answers a
// batch of requests, and the tests compare our functions with those answers row by row.
//
// Every row of a comparison carries a mark:
//   None        our function answers as Windows does;
//   Deliberate  we answer otherwise on purpose (the row says why and what we answer);
//   Wine        Wine answers otherwise than Windows documents (the row says why and gives
//               Windows' answer, which we keep).
// A marked row checks both sides: our answer must be the row's, and the oracle's must still differ
// from it; when the oracle starts to agree, the mark is stale and the row fails until it is removed.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cctype>
#include <optional>

namespace oracle {

enum class Mark { None, Deliberate, Wine };

inline QString Hex(QStringView text) {
    QString out;
    out.reserve(text.size() * 4);
    for (const QChar c : text)
        out += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return out;
}

inline QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

inline std::optional<QString> TextFromHex(QStringView hex) {
    if (hex.size() % 4 != 0) return std::nullopt;
    QString out;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool ok = false;
        const uint unit = hex.mid(i, 4).toUInt(&ok, 16);
        if (!ok) return std::nullopt;
        out += QChar(char16_t(unit));
    }
    return out;
}

inline std::optional<QByteArray> BytesFromHex(QStringView hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    const QByteArray latin = hex.toLatin1();
    for (const char c : latin)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    return QByteArray::fromHex(latin);
}

/// The name a Windows program under Wine gives a file of this machine (drive Z: is the root).
inline QString WinePath(const QString& path) {
    return QStringLiteral("Z:") + QDir::cleanPath(QDir(path).absolutePath()).replace(u'/', u'\\');
}

/// A text for failure messages: its length and, escaped, its start.
inline QString Describe(const QString& text) {
    QString shown;
    for (const QChar c : QStringView(text).left(48)) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\')
            shown += c;
        else
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > 48) shown += QStringLiteral("...");
    return QStringLiteral("\"%1\" (%2 characters)").arg(shown).arg(text.size());
}

inline QString Describe(const QByteArray& bytes) {
    return QStringLiteral("bytes %1").arg(bytes.isEmpty() ? QStringLiteral("(none)") : Hex(bytes));
}

inline QString Describe(int value) {
    return QString::number(value);
}

inline QString Describe(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) : QStringLiteral("no time (fails)");
}

inline QString Describe(const QStringList& list) {
    QStringList parts;
    for (const QString& s : list)
        parts << Describe(s);
    return QStringLiteral("[%1]").arg(parts.join(QStringLiteral(", ")));
}

/// Empty when the row holds; else what went wrong. `expected` and `reason` matter for marked rows.
template <typename T> QString Judge(const T& ours, const T& windows, Mark mark, const T& expected, const char* reason) {
    if (mark == Mark::None) {
        if (ours == windows) return {};
        return QStringLiteral("ours %1, Windows (under Wine) %2").arg(Describe(ours), Describe(windows));
    }
    const char* kind = mark == Mark::Deliberate ? "deliberate difference" : "Wine differs from Windows";
    qInfo("%s: %s; ours %s, Wine %s", kind, reason, qPrintable(Describe(ours)), qPrintable(Describe(windows)));
    if (ours != expected)
        return QStringLiteral("ours %1, the row expects %2 (%3: %4)")
            .arg(Describe(ours), Describe(expected), QLatin1String(kind), QLatin1String(reason));
    if (windows == expected)
        return QStringLiteral("Wine now answers %1 as well: the mark (%2) is stale")
            .arg(Describe(windows), QLatin1String(kind));
    return {};
}

/// Runs the probe program named by the environment variable probeVariable under Wine (program
/// KOVALT_WINE, prefix and settings from the test's environment) with the requests, one a line.
/// Gives the answers split into fields, one list per request; on failure nothing, with the reason
/// in *error.
inline QList<QStringList> Ask(const char* probeVariable, const QStringList& requests, QString* error) {
    const QString wine = qEnvironmentVariable("KOVALT_WINE");
    const QString probe = qEnvironmentVariable(probeVariable);
    if (wine.isEmpty() || !QFile::exists(probe)) {
        *error = QStringLiteral("KOVALT_WINE or %1 names no program").arg(QLatin1String(probeVariable));
        return {};
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("requests.txt")));
    const QByteArray text = requests.join(u'\n').toLatin1() + '\n';
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        *error = QStringLiteral("cannot write the request file");
        return {};
    }
    file.close();

    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(wine, {probe, WinePath(file.fileName())});
    // The first start in a fresh prefix may take a while; a hung one must not hold the run.
    constexpr int kSeconds = 120;
    if (!process.waitForFinished(kSeconds * 1000)) {
        process.kill();
        process.waitForFinished(10000);
        *error = QStringLiteral("%1 did not end within %2 s: %3")
                     .arg(probe)
                     .arg(kSeconds)
                     .arg(QString::fromLocal8Bit(process.readAllStandardError()));
        return {};
    }
    const QString stderrText = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("%1 under Wine ended with exit code %2: %3")
                     .arg(probe)
                     .arg(process.exitCode())
                     .arg(stderrText);
        return {};
    }
    QList<QStringList> answers;
    for (const QString& line : QString::fromLatin1(process.readAllStandardOutput()).split(u'\n')) {
        QString l = line;
        if (l.endsWith(u'\r')) l.chop(1);
        if (!l.isEmpty()) answers.append(l.split(u'\t'));
    }
    if (answers.size() != requests.size()) {
        *error = QStringLiteral("%1 answered %2 of %3 requests: %4")
                     .arg(probe)
                     .arg(answers.size())
                     .arg(requests.size())
                     .arg(stderrText);
        return {};
    }
    return answers;
}

} // namespace oracle
