#pragma once

#include <QString>
#include <QStringList>

namespace kovalt {

/// What a line of the settings file's server part is (upper-casing here touches only a to z).
enum class LineKind {
    Empty,            ///< nothing above a blank once every ";" is removed
    Name,             ///< opens a server block; its name is the line without ";"
    Key,              ///< holds a key marker but does not begin with "IP=" or ";IP="
    AddressActive,    ///< begins with "IP=": its block is the active one
    AddressCommented, ///< begins with ";IP="
};

/// True when the upper-cased line holds one of the markers IP=, USER=, PASSWORD=, DATABASE=,
/// SQLPORT=, PROPERTIES=; address lines are key lines too.
bool IsKeyLine(const QString& line);
LineKind ClassifyLine(const QString& line);
/// The line with every ";" removed: a block's name, or an entry's address text.
QString WithoutSemicolons(const QString& line);

/// The section line as server mode and the rebuild see it: the whole line is "[LogON]" in any case.
bool IsSectionLine(const QString& line);
/// The first line of the update part begins with the capitals "FTP".
bool BeginsUpdatePart(const QString& line);

/// The lines after the section line up to, not including, the first line beginning with "FTP".
QStringList ExtractServerPart(const QStringList& lines);
/// Uncomments the key lines of the block named exactly name and comments every other
/// uncommented line; name lines and the line that ends the chosen block stay unchanged.
QStringList ActivationRewrite(const QStringList& serverPart, const QString& name);
/// Prelude and section line as they are, the rewritten server part, then everything from the
/// first line beginning with "FTP". A file without a section line comes back unchanged.
QStringList FileRebuild(const QStringList& allLines, const QStringList& rewrittenServerPart);

/// The server label, "(NAME)" of the active block, "(DATA)" or empty.
QString NazevServeruFromLines(const QStringList& lines);
/// The label from the file, read afresh; throws Error when the file cannot be opened.
QString NazevServeru(const QString& path);
/// The label from "kovalt05.ini" in the program directory.
QString NazevServeru();
/// "Se serverem SQL " + label + " se nelze spojit!"
QString ConnectionErrorText(const QString& label);

/// "kovalt05.ini" in the program directory.
QString SettingsFilePath();
/// Writes the lines over the file atomically, in the ANSI code page with CR LF; throws Error
/// naming the file, and the old file stays whole.
void WriteSettingsFile(const QString& path, const QStringList& lines);

/// Activates the block named name: rewrites serverPart, rebuilds settingsLines and writes the file.
/// Only after the write has succeeded do settingsLines and serverPart take the new lines, so a
/// failed write (Error) leaves both lists matching the file that is still on disk.
void ActivateServerInFile(const QString& path, QStringList& settingsLines, QStringList& serverPart,
                          const QString& name);

} // namespace kovalt
