#include "commands.h"

#include "moduleaudit.h"
#include "output.h"
#include "updateprobe.h"

#include "modules/modulelist.h"
#include "servers/connection.h"
#include "servers/serverlist.h"
#include "servers/settingsfile.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QDir>

namespace kovalt::admin {

namespace {
const QString kSettingsFile = QStringLiteral("kovalt05.ini");
const QString kModuleList = QStringLiteral("moduly.ini");
const QChar kTab = u'\t';

// The bar reads a missing file as empty; here that is almost always a wrong --dir, so it is an error.
TextFile ReadRequired(const QString& path) {
    if (!QFileInfo::exists(path))
        throw Error(
            QStringLiteral("Cannot open file \"%1\". The file does not exist").arg(QDir::toNativeSeparators(path)));
    return ReadTextFile(path);
}

int ConnectionTest(const QString& settingsPath) {
    ZConnection connection;
    if (kovalt::TestConnection(connection, ReadDbSettingsFromFile(settingsPath))) {
        PrintLine(QStringLiteral("OK"));
        return ExitOk;
    }
    PrintLine(QString::number(connection.LastErrorCode()) + u' ' + connection.LastError());
    PrintError(ConnectionErrorText(NazevServeru(settingsPath)));
    return ExitFailed;
}
} // namespace

int Servers(const QString& dir) {
    const QStringList lines = ReadRequired(dir + kSettingsFile).lines;
    const QList<tserver> tiles = ServerTiles(ExtractServerPart(lines));
    for (qsizetype j = 0; j < tiles.size(); ++j)
        PrintLine(QString::number(j + 1) + kTab + tiles[j].server + kTab + tiles[j].ip + kTab +
                  (tiles[j].aktivni ? QStringLiteral("active") : QStringLiteral("inactive")));
    return ExitOk;
}

int Activate(const QString& dir, const QString& name, bool test) {
    const QString path = dir + kSettingsFile;
    QStringList settingsLines = ReadRequired(path).lines;
    QStringList serverPart = ExtractServerPart(settingsLines);
    bool known = false;
    for (const tserver& tile : ServerTiles(serverPart))
        known = known || tile.server == name;
    if (!known)
        throw Error(QStringLiteral("no server named \"%1\" in %2 (see the command servers)")
                        .arg(name, QDir::toNativeSeparators(path)));
    ActivateServerInFile(path, settingsLines, serverPart, name);
    PrintLine(QStringLiteral("activated") + kTab + name);
    return test ? ConnectionTest(path) : ExitOk;
}

int Label(const QString& dir) {
    const QString path = dir + kSettingsFile;
    ReadRequired(path);
    PrintLine(NazevServeru(path));
    return ExitOk;
}

int TestConnection(const QString& dir) {
    const QString path = dir + kSettingsFile;
    ReadRequired(path);
    return ConnectionTest(path);
}

int Modules(const QString& dir) {
    const QStringList lines = ReadRequired(dir + kModuleList).lines;
    const QList<ModuleEntry> shown = ReadModuleList(dir);
    for (const ModuleSection& section : AuditModuleList(lines, dir)) {
        if (section.leftOut != LeftOut::None) {
            QString line = u'-' + kTab + section.section + kTab + LeftOutText(section.leftOut);
            if (section.leftOut == LeftOut::ProgramMissing) line += kTab + section.programPath;
            PrintLine(line);
        } else if (section.slot <= shown.size()) {
            const ModuleEntry& module = shown[section.slot - 1];
            PrintLine(QString::number(section.slot) + kTab + module.Name + kTab + module.Command + kTab +
                      module.Description);
        }
    }
    return ExitOk;
}

int CheckUpdate(const QString& dir) {
    ReadRequired(dir + kSettingsFile);
    if (FileExists(dir + QStringLiteral("unit3.cpp")))
        PrintError(
            QStringLiteral("note: the developer marker unit3.cpp is present, so the bar itself skips this check"));
    if (!FileExists(dir + QStringLiteral("kovalt05.exe")))
        PrintError(QStringLiteral("note: kovalt05.exe is missing, so its date counts as 1899-12-30 00:00:00"));
    const UpdateProbe probe = ProbeUpdate(dir);
    PrintLine(QStringLiteral("local") + kTab + probe.local);
    PrintLine(QStringLiteral("remote") + kTab + probe.remote);
    PrintLine(QStringLiteral("outcome") + kTab + probe.outcome + kTab + probe.reason);
    return probe.outcome == QStringLiteral("E") ? ExitFailed : ExitOk;
}

} // namespace kovalt::admin
