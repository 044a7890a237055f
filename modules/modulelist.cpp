#include "modulelist.h"

#include "util/fileutil.h"
#include "util/ini.h"
#include "util/strutil.h"
#include "util/textfile.h"

namespace kovalt {

namespace {
const QString ListFile = QStringLiteral("moduly.ini");
const QString FirstBackup = QStringLiteral("moduly.ori");
const QString LastBackup = QStringLiteral("moduly.old");

QString SectionName(int s) {
    return PadLeftWith(QString::number(s), u'0', 2);
}
} // namespace

QString CestaProgramu(const QString& command) {
    return FieldAt(command, u'"', 0);
}

QString ExpandProgramDir(const QString& value, const QString& programDir) {
    return ReplaceNoCase(value, QStringLiteral("{path}"), programDir);
}

QList<ModuleEntry> ReadModuleList(const QString& programDir) {
    const QStringList lines = ReadTextFileOrEmpty(InDir(programDir, ListFile)).lines;
    QList<ModuleEntry> modules;
    for (int s = 1; s <= MaxTiles; ++s) {
        const QString section = SectionName(s);
        if (!IniHasKey(lines, section, QStringLiteral("Modulnazev"))) continue;
        const QString command = IniReadString(lines, section, QStringLiteral("Modulexe"), QString());
        if (!FileExists(ExpandProgramDir(CestaProgramu(command), programDir))) continue;
        modules.append({IniReadString(lines, section, QStringLiteral("Modulnazev"), QString()),
                        ExpandProgramDir(command, programDir),
                        IniReadString(lines, section, QStringLiteral("Modulpopis"), QString())});
    }
    return modules;
}

QStringList ModuleListLines(const QList<ModuleEntry>& modules, const QDateTime& written) {
    QStringList lines;
    for (int k = 0; k < modules.size(); ++k) {
        lines << QStringLiteral("[%1]").arg(SectionName(k + 1)) << QStringLiteral("Modulnazev=") + modules[k].Name
              << QStringLiteral("Modulexe=") + modules[k].Command
              << QStringLiteral("Modulpopis=") + modules[k].Description;
    }
    lines << u';' + written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return lines;
}

void WriteModuleList(const QString& programDir, const QList<ModuleEntry>& modules, const QDateTime& written) {
    const QStringList lines = ModuleListLines(modules, written);
    const QString list = InDir(programDir, ListFile);
    if (!FileExists(InDir(programDir, FirstBackup))) CopyFileWithDate(list, InDir(programDir, FirstBackup));
    CopyFileWithDate(list, InDir(programDir, LastBackup));
    WriteTextFile(list, lines, TextEncoding::Ansi);
}

void NactiModuly(TileList& list, const QString& programDir) {
    const QList<ModuleEntry> modules = ReadModuleList(programDir);
    for (int n = 1; n <= modules.size(); ++n) {
        list.Names[n] = modules[n - 1].Name;
        list.Commands[n] = modules[n - 1].Command;
        list.KeptCommands[n] = modules[n - 1].Command;
        list.Descriptions[n] = modules[n - 1].Description;
    }
    list.Count = qint32(modules.size());
}

void NactiModuly() {
    NactiModuly(Tiles(), ProgramDir());
}

void UlozModuly(const TileList& list, const QString& programDir, const QDateTime& written) {
    QList<ModuleEntry> modules;
    for (int k = 1; k <= qBound(0, int(list.Count), MaxTiles); ++k) {
        // An unlaunchable tile has no command for this run, but the module stays in the list.
        const QString& command = list.Commands[k].isEmpty() ? list.KeptCommands[k] : list.Commands[k];
        modules.append({list.Names[k], command, list.Descriptions[k]});
    }
    WriteModuleList(programDir, modules, written);
}

void UlozModuly() {
    UlozModuly(Tiles(), ProgramDir(), QDateTime::currentDateTime());
}

} // namespace kovalt
