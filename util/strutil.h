#pragma once

#include <QString>

namespace kovalt {

/// The first n characters; the whole text when shorter; empty for n <= 0.
QString LeftChars(const QString& text, int n);
/// The last n characters; the whole text when n >= its length; empty for n <= 0.
QString RightChars(const QString& text, int n);
/// Prefixes c until the text is at least width characters long.
QString PadLeftWith(const QString& text, QChar c, int width);
/// The index-th field between delimiters (0-based); empty when there are fewer fields.
QString FieldAt(const QString& text, QChar delimiter, int index);
/// 1-based position of sub in text at or after start (start <= 1 searches all); 0 when absent.
int PosFrom(const QString& sub, const QString& text, int start);
/// Replaces every occurrence of find, ignoring case, resuming after each inserted replacement.
QString ReplaceNoCase(const QString& text, const QString& find, const QString& replacement);
/// Upper-casing by the rules of the user's locale, one character for one, accented letters included.
QString UpperLocale(const QString& text);
/// Upper-cases only the letters a to z.
QString UpperAscii(const QString& text);

} // namespace kovalt
