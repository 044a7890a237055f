#include "strutil.h"

#include <QLocale>

namespace kovalt {

QString LeftChars(const QString& text, int n)
{
    if (n <= 0)
        return {};
    return text.left(n);
}

QString RightChars(const QString& text, int n)
{
    if (n <= 0)
        return {};
    return text.right(n);
}

QString PadLeftWith(const QString& text, QChar c, int width)
{
    QString result = text;
    while (result.size() < width)
        result.prepend(c);
    return result;
}

QString FieldAt(const QString& text, QChar delimiter, int index)
{
    if (index < 0)
        return {};
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype next = text.indexOf(delimiter, start);
        if (next < 0)
            return {};
        start = next + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

int PosFrom(const QString& sub, const QString& text, int start)
{
    if (sub.isEmpty())
        return 0;
    if (start < 1)
        start = 1;
    if (start > text.size())
        return 0;
    const qsizetype found = text.indexOf(sub, start - 1, Qt::CaseSensitive);
    return found < 0 ? 0 : int(found) + 1;
}

QString UpperLocale(const QString& text)
{
    return QLocale::system().toUpper(text);
}

QString UpperAscii(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    return result;
}

QString ReplaceNoCase(const QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    const QString upperFind = UpperLocale(find);
    QString result;
    QString rest = text;
    // Search the upper-cased rest; locale upper-casing may change lengths, so fall back
    // to a per-character comparison when it does.
    while (true) {
        const QString upperRest = UpperLocale(rest);
        qsizetype at = -1;
        if (upperRest.size() == rest.size()) {
            at = upperRest.indexOf(upperFind);
        } else {
            for (qsizetype i = 0; i + find.size() <= rest.size(); ++i) {
                if (UpperLocale(rest.mid(i, find.size())) == upperFind) {
                    at = i;
                    break;
                }
            }
        }
        if (at < 0) {
            result += rest;
            break;
        }
        result += rest.left(at);
        result += replacement;
        rest = rest.mid(at + find.size());
    }
    return result;
}

} // namespace kovalt
