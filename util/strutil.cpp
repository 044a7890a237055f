#include "strutil.h"

#include <QLocale>

namespace kovalt {

QString LeftChars(const QString& text, int n) {
    if (n <= 0) return {};
    return text.left(n);
}

QString RightChars(const QString& text, int n) {
    if (n <= 0) return {};
    return text.right(n);
}

QString PadLeftWith(const QString& text, QChar c, int width) {
    QString result = text;
    while (result.size() < width)
        result.prepend(c);
    return result;
}

QString FieldAt(const QString& text, QChar delimiter, int index) {
    if (index < 0) return {};
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype next = text.indexOf(delimiter, start);
        if (next < 0) return {};
        start = next + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

int PosFrom(const QString& sub, const QString& text, int start) {
    if (sub.isEmpty()) return 0;
    if (start < 1) start = 1;
    if (start > text.size()) return 0;
    const qsizetype found = text.indexOf(sub, start - 1, Qt::CaseSensitive);
    return found < 0 ? 0 : int(found) + 1;
}

QString UpperLocale(const QString& text) {
    // Character by character, so positions in the upper-cased text match the original (the
    // Windows upper-casing keeps "ß" as it is rather than making it "SS").
    const QLocale::Language language = QLocale::system().language();
    const bool dottedI = language == QLocale::Turkish || language == QLocale::Azerbaijani;
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result[i];
        if (c.isHighSurrogate() && i + 1 < result.size() && result[i + 1].isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, result[i + 1]));
            if (QChar::requiresSurrogates(upper)) {
                result[i] = QChar(QChar::highSurrogate(upper));
                result[i + 1] = QChar(QChar::lowSurrogate(upper));
            }
            ++i;
        } else if (dottedI && c == u'i') {
            result[i] = QChar(0x0130);
        } else {
            const char32_t upper = QChar::toUpper(char32_t(c.unicode()));
            if (!QChar::requiresSurrogates(upper)) result[i] = QChar(char16_t(upper));
        }
    }
    return result;
}

QString UpperAscii(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    }
    return result;
}

QString ReplaceNoCase(const QString& text, const QString& find, const QString& replacement) {
    if (find.isEmpty()) return text;
    // UpperLocale keeps lengths, so a match in the upper-cased text is a match at the same place.
    const QString upperText = UpperLocale(text);
    const QString upperFind = UpperLocale(find);
    QString result;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = upperText.indexOf(upperFind, from, Qt::CaseSensitive);
        if (at < 0) break;
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + find.size();
    }
    result += QStringView(text).mid(from);
    return result;
}

} // namespace kovalt
