#include "updatecheck.h"

#include "idftp.h"
#include "util/error.h"
#include "util/fileutil.h"
#include "util/ini.h"
#include "util/runcommand.h"
#include "util/strutil.h"
#include "util/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <exception>

namespace kovalt {

namespace {
const QString kSection = QStringLiteral("LogOn");
const QString kCaption = QStringLiteral("Kovalt05");
const QString kVersionFile = QStringLiteral("setupkovalt05.ver");
const QString kInstaller = QStringLiteral("setupkovalt05.exe");
const QString kDeveloperMarker = QStringLiteral("unit3.cpp");

// The system's long time format without its time zone, which the suite's time texts never show.
QString LongTimeText(const QTime& time) {
    const QLocale locale = QLocale::system();
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') kept += c;
    }
    return locale.toString(time, kept.simplified());
}

void DeleteIfExists(const QString& path) {
    if (FileExists(path)) QFile::remove(path);
}

void MakeExecutable(const QString& path) {
#ifndef Q_OS_WIN
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup |
                                    QFile::ExeOther);
#else
    Q_UNUSED(path);
#endif
}

void AppendUpdateLog(const QString& programDir, const QDateTime& now) {
    const QString folder = programDir + QStringLiteral("updlog");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/kovalt05.log");
    TextFile log;
    if (FileExists(path)) log = ReadTextFile(path);
    log.lines.append(UpdateLogLine(now));
    WriteTextFile(path, log.lines, log.encoding);
}
} // namespace

// StrToInt's rules: an optional sign, decimal digits, or hexadecimal after "$" or "0x".
int ToPortNumber(const QString& text) {
    QString t = text;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    bool ok = !t.isEmpty() && !t.startsWith(u'+') && !t.startsWith(u'-') && !t.contains(u' ');
    const int value = ok ? t.toInt(&ok, base) : 0;
    if (!ok) throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return negative ? -value : value;
}

void UpdateHost::ProcessMessages() {
    QCoreApplication::processEvents();
}

bool UpdateHost::StartInstaller(const QString& commandLine) {
    return RunCommand(commandLine, false, false);
}

QDateTime UpdateHost::Now() const {
    return QDateTime::currentDateTime();
}

QString UpdateHost::ProgramDirectory() const {
    return ProgramDir();
}

UpdateSettings ReadUpdateSettings(const QString& iniPath) {
    // One read of the file serves every key; the lookups are those of a fresh read per key.
    const QStringList lines = ReadTextFileOrEmpty(iniPath).lines;
    UpdateSettings s;
    s.host = IniReadString(lines, kSection, QStringLiteral("FTP"), QStringLiteral("ftp.trenix.cz"));
    s.user = IniReadString(lines, kSection, QStringLiteral("FTPuser"), QStringLiteral("trenix"));
    s.password = IniReadString(lines, kSection, QStringLiteral("FTPpassword"), QStringLiteral("903168kwe"));
    s.port = IniReadString(lines, kSection, QStringLiteral("FTPport"), QStringLiteral("21"));
    s.passive = IniReadBool(lines, kSection, QStringLiteral("FTPpassive"), true);
    s.dir = IniReadString(lines, kSection, QStringLiteral("FTPdir"), QStringLiteral("trenix/kovalt05"));
    return s;
}

TextFile ReadVersionFile(const QString& path) {
    TextFile version = ReadTextFile(path);
    for (const QString& line : version.lines)
        if (line.contains(QChar(0)))
            throw Error(
                QStringLiteral("The version file \"%1\" is not a text file.").arg(QDir::toNativeSeparators(path)));
    return version;
}

QString RemoteVersion(const QStringList& versionLines) {
    if (versionLines.size() < 2) throw Error(QStringLiteral("List index out of bounds (1)"));
    return LeftChars(FieldAt(versionLines[1], u'\t', 2), 19);
}

QString LocalVersionText(const QDateTime& fileTime) {
    return fileTime.date().toString(QStringLiteral("yyyy-MM-dd")) + u' ' +
           fileTime.time().toString(QStringLiteral("HH:mm:ss"));
}

bool IsNewerVersion(const QString& remote, const QString& local) {
    const qsizetype n = std::min(remote.size(), local.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t r = remote[i].unicode(), l = local[i].unicode();
        if (r != l) return r > l;
    }
    return remote.size() > local.size();
}

QString UpdateLogLine(const QDateTime& now) {
    return now.date().toString(QStringLiteral("dd.MM.yyyy")) + u' ' + LongTimeText(now.time()) +
           QStringLiteral(" - NOVÁ VERZE programu");
}

QString InstallerCommandLine(const QString& programDir) {
    return QStringLiteral("setupkovalt05.exe /DIR=\"") + programDir + u'"';
}

void IdFTP1Work(UpdateHost& host) {
    if (host.ProgressPosition() == 100) host.SetProgressPosition(0);
    host.SetProgressPosition(host.ProgressPosition() + 1);
    host.ProcessMessages();
}

QString KontrolaNV(UpdateHost& host, IdFtp& IdFTP1) {
    host.ProcessMessages();
    const QString dir = host.ProgramDirectory();
    const UpdateSettings settings = ReadUpdateSettings(dir + QStringLiteral("kovalt05.ini"));
    QString outcome = QStringLiteral("N");

    if (!FileExists(dir + kDeveloperMarker)) {
        host.SetProgressVisible(true);
        // Any failure here ends like a failed connection, so the bar never stays disabled.
        try {
            IdFTP1.Passive = settings.passive;
            IdFTP1.Port = ToPortNumber(settings.port);
            IdFTP1.Username = settings.user;
            IdFTP1.Password = settings.password;
            IdFTP1.Host = settings.host;
            IdFTP1.Connect();
            IdFTP1.ChangeDir(settings.dir);

            const QString versionPath = dir + kVersionFile;
            DeleteIfExists(versionPath);
            bool versionArrived = false;
            try {
                IdFTP1.Get(kVersionFile, versionPath, false, kMaxVersionFileBytes);
                versionArrived = true;
            } catch (const FtpFileTooLarge&) {
                // What the server offers under that name is no version file: the check cannot tell.
                DeleteIfExists(versionPath);
                throw;
            } catch (const std::exception&) {
                DeleteIfExists(versionPath);
            }

            if (versionArrived && FileSizeOf(versionPath) > 0) {
                const TextFile version = ReadVersionFile(versionPath);
                const QString remote = RemoteVersion(version.lines);
                const QString local =
                    LocalVersionText(FromDateTime(FileDateTimeOf(dir + QStringLiteral("kovalt05.exe"))));
                WriteTextFile(dir + QStringLiteral("verze.log"),
                              {QStringLiteral("Verze programu: ") + local, QStringLiteral("Verze internet: ") + remote},
                              version.encoding);
                if (IsNewerVersion(remote, local)) {
                    const QString installerPath = dir + kInstaller;
                    DeleteIfExists(installerPath);
                    // Binary: an ASCII transfer would mangle the installer's CR LF pairs.
                    IdFTP1.Get(kInstaller, installerPath, true);
                    outcome = QStringLiteral("A");
                }
            }
        } catch (const std::exception&) {
            outcome = QStringLiteral("E");
        }
        IdFTP1.Disconnect();
        host.SetProgressVisible(false);
        host.ProcessMessages();
    }

    if (outcome == QStringLiteral("A")) {
        try {
            AppendUpdateLog(dir, host.Now());
        } catch (const std::exception&) {
            outcome = QStringLiteral("E");
        }
    }

    if (outcome != QStringLiteral("A")) {
        if (outcome == QStringLiteral("E")) {
            host.ShowInformation(
                kCaption, QStringLiteral("Problém při připojeni k aktulizacím!\rNelze zkontrolovat novou verzi."));
            host.ProcessMessages();
        }
        host.ProcessMessages();
        host.SetProgressVisible(false);
        host.ShowReadyIndicator();
        return outcome;
    }

    host.ShowInformation(
        kCaption,
        QStringLiteral("Nyní bude aktualizována aplikace Kovalt05!\rAplikace bude ukončena a spuštěna instalace."));
    host.ProcessMessages();
    MakeExecutable(dir + kInstaller);
    host.StartInstaller(InstallerCommandLine(dir));
    host.Terminate();
    host.ProcessMessages();
    return outcome;
}

} // namespace kovalt
