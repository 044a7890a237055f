#include "settingsfile.h"

#include "util/fileutil.h"
#include "util/strutil.h"
#include "util/textfile.h"

namespace kovalt {

namespace {
const QString kSettingsFileName = QStringLiteral("kovalt05.ini");

bool HasVisibleChar(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 32) return true;
    }
    return false;
}
} // namespace

bool IsKeyLine(const QString& line) {
    static const QString markers[] = {
        QStringLiteral("IP="),       QStringLiteral("USER="),    QStringLiteral("PASSWORD="),
        QStringLiteral("DATABASE="), QStringLiteral("SQLPORT="), QStringLiteral("PROPERTIES="),
    };
    const QString upper = UpperAscii(line);
    for (const QString& marker : markers) {
        if (upper.contains(marker)) return true;
    }
    return false;
}

QString WithoutSemicolons(const QString& line) {
    QString result = line;
    result.remove(u';');
    return result;
}

LineKind ClassifyLine(const QString& line) {
    if (IsKeyLine(line)) {
        const QString upper = UpperAscii(line);
        if (upper.startsWith(QLatin1String("IP="))) return LineKind::AddressActive;
        if (upper.startsWith(QLatin1String(";IP="))) return LineKind::AddressCommented;
        return LineKind::Key;
    }
    return HasVisibleChar(WithoutSemicolons(line)) ? LineKind::Name : LineKind::Empty;
}

bool IsSectionLine(const QString& line) {
    return UpperAscii(line) == QLatin1String("[LOGON]");
}

bool BeginsUpdatePart(const QString& line) {
    return LeftChars(line, 3) == QLatin1String("FTP");
}

QStringList ExtractServerPart(const QStringList& lines) {
    QStringList part;
    bool copying = false;
    for (const QString& line : lines) {
        // The part ends for good: a section line further down must not pull update-part lines in,
        // or the rebuild would write them twice.
        if (copying && BeginsUpdatePart(line)) break;
        if (copying) part.append(line);
        if (IsSectionLine(line)) copying = true;
    }
    return part;
}

QStringList ActivationRewrite(const QStringList& serverPart, const QString& name) {
    const QString nameLine = u';' + name;
    QStringList result;
    result.reserve(serverPart.size());
    bool inBlock = false;
    for (const QString& line : serverPart) {
        if (line == nameLine) {
            inBlock = true;
            result.append(line);
        } else if (inBlock) {
            if (IsKeyLine(line)) {
                result.append(WithoutSemicolons(line));
            } else {
                inBlock = false;
                result.append(line);
            }
        } else if (line.startsWith(u';')) {
            result.append(line);
        } else if (ClassifyLine(line) == LineKind::Empty && !line.contains(u';')) {
            result.append(QStringLiteral(";"));
        } else {
            result.append(u';' + line);
        }
    }
    return result;
}

QStringList FileRebuild(const QStringList& allLines, const QStringList& rewrittenServerPart) {
    enum class Stage { Prelude, ServerPart, UpdatePart };
    Stage stage = Stage::Prelude;
    QStringList result;
    result.reserve(allLines.size() + rewrittenServerPart.size());
    for (const QString& line : allLines) {
        switch (stage) {
        case Stage::Prelude:
            result.append(line);
            if (IsSectionLine(line)) {
                result.append(rewrittenServerPart);
                stage = Stage::ServerPart;
            }
            break;
        case Stage::ServerPart:
            if (!BeginsUpdatePart(line)) break;
            stage = Stage::UpdatePart;
            [[fallthrough]];
        case Stage::UpdatePart:
            result.append(line);
            break;
        }
    }
    return result;
}

QString NazevServeruFromLines(const QStringList& lines) {
    qsizetype section = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (LeftChars(lines[i], 7) == QLatin1String("[LogON]")) {
            section = i;
            break;
        }
    }
    if (section < 0) return {};
    QString label;
    for (qsizetype i = section + 1; i < lines.size(); ++i) {
        if (!lines[i].startsWith(u';')) {
            label = u'(' + UpperLocale(WithoutSemicolons(lines[i - 1])) + u')';
            break;
        }
    }
    // The section line itself stands above the first uncommented line: an unnamed set of keys.
    if (UpperLocale(label).contains(QLatin1String("LOGON"))) label = QStringLiteral("(DATA)");
    return label;
}

QString NazevServeru(const QString& path) {
    return NazevServeruFromLines(ReadTextFile(path).lines);
}

QString NazevServeru() {
    return NazevServeru(SettingsFilePath());
}

QString ConnectionErrorText(const QString& label) {
    return QStringLiteral("Se serverem SQL ") + label + QStringLiteral(" se nelze spojit!");
}

QString SettingsFilePath() {
    return InDir(ProgramDir(), kSettingsFileName);
}

void WriteSettingsFile(const QString& path, const QStringList& lines) {
    WriteTextFile(path, lines, TextEncoding::Ansi);
}

void ActivateServerInFile(const QString& path, QStringList& settingsLines, QStringList& serverPart,
                          const QString& name) {
    QStringList rewritten = ActivationRewrite(serverPart, name);
    QStringList rebuilt = FileRebuild(settingsLines, rewritten);
    WriteSettingsFile(path, rebuilt);
    settingsLines = std::move(rebuilt);
    serverPart = std::move(rewritten);
}

} // namespace kovalt
