#pragma once

#include "util/textfile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kovalt {

class IdFtp;

/// What the update check needs of the bar window.
class UpdateHost {
public:
    virtual ~UpdateHost() = default;

    /// Lets pending window messages run.
    virtual void ProcessMessages();
    virtual void SetProgressVisible(bool visible) = 0;
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int position) = 0;
    /// Makes the ready indicator visible, which opens the readiness gate.
    virtual void ShowReadyIndicator() = 0;
    /// A modal message box owned by the bar with the information icon and an OK button.
    virtual void ShowInformation(const QString& caption, const QString& text) = 0;
    /// Starts the installer, shown and not waited for; RunCommand by default.
    virtual bool StartInstaller(const QString& commandLine);
    /// Asks the application to terminate without the close sequence.
    virtual void Terminate() = 0;
    /// The current local date and time.
    virtual QDateTime Now() const;
    /// The program directory with its trailing separator; ProgramDir by default.
    virtual QString ProgramDirectory() const;
};

/// The update settings, section "LogOn" of "kovalt05.ini".
struct UpdateSettings {
    QString host;
    QString user;
    QString password;
    QString port;
    bool passive = true;
    QString dir;
};

UpdateSettings ReadUpdateSettings(const QString& iniPath);

/// The version file is two short lines; a server that offers more than this under its name
/// offers no version file, and the transfer ends there.
constexpr qint64 kMaxVersionFileBytes = 2 * 1024 * 1024;

/// Reads the downloaded version file as text; throws Error when it holds a NUL character, which
/// no text file has, so binary data never passes for a version.
TextFile ReadVersionFile(const QString& path);

/// Field 2 of the version file's second line at TAB, cut to 19 characters. Throws Error when the
/// file has fewer than two lines.
QString RemoteVersion(const QStringList& versionLines);
/// A file date-time as "yyyy-mm-dd hh:nn:ss" (24-hour, whatever the locale).
QString LocalVersionText(const QDateTime& fileTime);
/// UTF-16 code units compared as unsigned numbers; a prefix is the smaller.
bool IsNewerVersion(const QString& remote, const QString& local);
/// The update log line: "dd.mm.yyyy", a space, the time in the system's long time format, then
/// " - NOVÁ VERZE programu".
QString UpdateLogLine(const QDateTime& now);
/// "setupkovalt05.exe /DIR=" and the quoted program directory with its trailing separator.
QString InstallerCommandLine(const QString& programDir);

/// The progress step of every FTP work event: 1, 2, ..., 100, 1, ...; then pending messages run.
void IdFTP1Work(UpdateHost& host);

/// The update check, once per run from the timer. Ends by showing the ready indicator ("N", "E")
/// or by handing over to the installer and terminating ("A"); gives that outcome code. The window
/// routes IdFTP1's OnWork to IdFTP1Work.
QString KontrolaNV(UpdateHost& host, IdFtp& IdFTP1);

/// The FTP port text as an integer by the update settings' rules: an optional sign, decimal
/// digits, or hexadecimal after "$" or "0x"; throws Error for anything else.
int ToPortNumber(const QString& text);

} // namespace kovalt
