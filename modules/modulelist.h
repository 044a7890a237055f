#pragma once

#include "tilelist.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace kovalt {

/// One module as the module list holds it; Command in its expanded form.
struct ModuleEntry {
    QString Name;
    QString Command;
    QString Description;
    friend bool operator==(const ModuleEntry&, const ModuleEntry&) = default;
};

/// The program path of a module command: the part before its first double quote.
QString CestaProgramu(const QString& command);
/// Replaces every "{path}", in any letter case, by the program directory.
QString ExpandProgramDir(const QString& value, const QString& programDir);

/// Reads "moduly.ini" of programDir: sections "01" to "50" in ascending order, those with a
/// Modulnazev key and an existing program; at most MaxTiles entries. A missing file gives none.
QList<ModuleEntry> ReadModuleList(const QString& programDir);
/// The lines of the module list as written: four per module and the date comment last.
QStringList ModuleListLines(const QList<ModuleEntry>& modules, const QDateTime& written);
/// Backs up "moduly.ini" to "moduly.ori" (only when absent) and "moduly.old", then writes the
/// list atomically in the ANSI code page. Failed backups are ignored; a failed write throws Error.
void WriteModuleList(const QString& programDir, const QList<ModuleEntry>& modules, const QDateTime& written);

/// Fills Names, Commands (also into KeptCommands) and Descriptions of slots 1 to n and sets Count to n.
void NactiModuly(TileList& list, const QString& programDir);
/// NactiModuly on Tiles() and ProgramDir().
void NactiModuly();
/// Writes slots 1 to Count as the module list, with the current local time; a slot whose Commands
/// is empty (an unlaunchable tile) writes its KeptCommands.
void UlozModuly(const TileList& list, const QString& programDir, const QDateTime& written);
/// UlozModuly on Tiles(), ProgramDir() and the current local time.
void UlozModuly();

} // namespace kovalt
