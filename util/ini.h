#pragma once

#include "textfile.h"

#include <QString>
#include <QStringList>

namespace kovalt {

/// Key lookups by the profile rules: section and key names without regard to case or blanks around
/// them (also inside the brackets of a section line), the first match in file order, commented
/// lines never match, values trimmed and freed of one pair of enclosing quotes and cut to 2047
/// characters; an absent key gives the default, an empty value the empty text.
QString IniReadString(const QStringList& lines, const QString& section, const QString& key, const QString& def);
/// Decimal, or hexadecimal when longer than two characters and beginning with "0x"; a text that
/// does not convert gives the default.
int IniReadInt(const QStringList& lines, const QString& section, const QString& key, int def);
/// The integer form with default 1 or 0; any nonzero integer is true.
bool IniReadBool(const QStringList& lines, const QString& section, const QString& key, bool def);
bool IniHasKey(const QStringList& lines, const QString& section, const QString& key);

/// Single key write: replaces the value in the key's line (the text up to its "=" stays); else adds
/// "key=value" after the last non-empty line of the section; else appends "[section]" and the line
/// at the end. Every other line stays as it was.
QStringList IniWriteKey(QStringList lines, const QString& section, const QString& key, const QString& value);

/// The same on a file, read afresh for every call; a missing file gives the defaults.
QString IniFileReadString(const QString& path, const QString& section, const QString& key, const QString& def);
int IniFileReadInt(const QString& path, const QString& section, const QString& key, int def);
bool IniFileReadBool(const QString& path, const QString& section, const QString& key, bool def);
/// Writes atomically in the encoding the file was found in (ANSI for a new file); throws Error
/// naming the file, also when an existing file cannot be read.
void IniFileWriteKey(const QString& path, const QString& section, const QString& key, const QString& value);
/// The value in decimal, negative ones with a leading minus sign.
void IniFileWriteInt(const QString& path, const QString& section, const QString& key, int value);

} // namespace kovalt
