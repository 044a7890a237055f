#include "ini.h"
#include "fileutil.h"

#include <QFileInfo>

#include <optional>

namespace kovalt {

namespace {
constexpr qsizetype kMaxValue = 2047;

// The section name of a line "[name]...", without blanks around it inside the brackets (Windows
// finds "[ LogON ]" by "LogON"), or nothing for any other line.
std::optional<QStringView> SectionName(QStringView line) {
    const QStringView t = line.trimmed();
    if (!t.startsWith(u'[')) return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0) return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool SameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The first section line with this name (-1 when there is none) and the line that ends its section.
struct SectionRange {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionRange FindSection(const QStringList& lines, QStringView section) {
    SectionRange range;
    const QStringView wanted = section.trimmed();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name) continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (SameName(*name, wanted)) range.header = i;
    }
    if (range.header >= 0) range.end = lines.size();
    return range;
}

// Index of the first line in the section whose key part matches, or -1.
qsizetype FindKeyLine(const QStringList& lines, const SectionRange& range, QStringView key) {
    if (range.header < 0) return -1;
    const QStringView wanted = key.trimmed();
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const QStringView line = lines[i];
        if (line.trimmed().startsWith(u';')) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        if (SameName(line.left(eq).trimmed(), wanted)) return i;
    }
    return -1;
}

std::optional<QString> LookUp(const QStringList& lines, const QString& section, const QString& key) {
    const qsizetype at = FindKeyLine(lines, FindSection(lines, section), key);
    if (at < 0) return std::nullopt;
    const QStringView line = lines[at];
    QStringView value = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValue).toString();
}

std::optional<int> ToInt(const QString& text) {
    bool ok = false;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const QStringView digits = QStringView(text).mid(2);
        for (const QChar c : digits) {
            const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
            if (!hex) return std::nullopt;
        }
        // Up to eight hex digits fill all 32 bits, so 0xFFFFFFFF reads as -1.
        const uint value = digits.toUInt(&ok, 16);
        return ok ? std::optional<int>(int(value)) : std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!(c >= u'0' && c <= u'9') && !(i == 0 && (c == u'-' || c == u'+'))) return std::nullopt;
    }
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}
} // namespace

QString IniReadString(const QStringList& lines, const QString& section, const QString& key, const QString& def) {
    return LookUp(lines, section, key).value_or(def);
}

int IniReadInt(const QStringList& lines, const QString& section, const QString& key, int def) {
    const auto text = LookUp(lines, section, key);
    if (!text) return def;
    return ToInt(*text).value_or(def);
}

bool IniReadBool(const QStringList& lines, const QString& section, const QString& key, bool def) {
    return IniReadInt(lines, section, key, def ? 1 : 0) != 0;
}

bool IniHasKey(const QStringList& lines, const QString& section, const QString& key) {
    return LookUp(lines, section, key).has_value();
}

QStringList IniWriteKey(QStringList lines, const QString& section, const QString& key, const QString& value) {
    const SectionRange range = FindSection(lines, section);
    const qsizetype at = FindKeyLine(lines, range, key);
    if (at >= 0) {
        QString& line = lines[at];
        line = line.left(line.indexOf(u'=') + 1) + value;
        return lines;
    }
    const QString newLine = key.trimmed() + u'=' + value;
    if (range.header >= 0) {
        qsizetype last = range.header;
        for (qsizetype i = range.header + 1; i < range.end; ++i) {
            if (!lines[i].trimmed().isEmpty()) last = i;
        }
        lines.insert(last + 1, newLine);
        return lines;
    }
    lines.append(u'[' + section.trimmed() + u']');
    lines.append(newLine);
    return lines;
}

QString IniFileReadString(const QString& path, const QString& section, const QString& key, const QString& def) {
    return IniReadString(ReadTextFileOrEmpty(path).lines, section, key, def);
}

int IniFileReadInt(const QString& path, const QString& section, const QString& key, int def) {
    return IniReadInt(ReadTextFileOrEmpty(path).lines, section, key, def);
}

bool IniFileReadBool(const QString& path, const QString& section, const QString& key, bool def) {
    return IniReadBool(ReadTextFileOrEmpty(path).lines, section, key, def);
}

void IniFileWriteKey(const QString& path, const QString& section, const QString& key, const QString& value) {
    // An existing file that cannot be read must not be replaced by one holding only this key.
    TextFile file;
    if (QFileInfo::exists(path)) file = ReadTextFile(path);
    WriteTextFile(path, IniWriteKey(file.lines, section, key, value), file.encoding);
}

void IniFileWriteInt(const QString& path, const QString& section, const QString& key, int value) {
    IniFileWriteKey(path, section, key, QString::number(value));
}

} // namespace kovalt
