#include "updateprobe.h"

#include "update/idftp.h"
#include "update/updatecheck.h"
#include "util/error.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <exception>

namespace kovalt::admin {

namespace {
const QString kVersionFile = QStringLiteral("setupkovalt05.ver");
const QString kInstaller = QStringLiteral("setupkovalt05.exe");

QString MessageOf(const std::exception& e) {
    if (const auto* error = dynamic_cast<const Error*>(&e)) return error->message();
    return QString::fromUtf8(e.what());
}
} // namespace

UpdateProbe ProbeUpdate(const QString& programDir) {
    UpdateProbe probe;
    probe.local = LocalVersionText(FromDateTime(FileDateTimeOf(programDir + QStringLiteral("kovalt05.exe"))));
    probe.outcome = QStringLiteral("N");
    const UpdateSettings settings = ReadUpdateSettings(programDir + QStringLiteral("kovalt05.ini"));

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        probe.outcome = QStringLiteral("E");
        probe.reason = QStringLiteral("cannot create a temporary folder: %1").arg(scratch.errorString());
        return probe;
    }
    IdFtp ftp;
    try {
        ftp.Passive = settings.passive;
        ftp.Port = ToPortNumber(settings.port);
        ftp.Username = settings.user;
        ftp.Password = settings.password;
        ftp.Host = settings.host;
        ftp.Connect();
        ftp.ChangeDir(settings.dir);

        const QString versionPath = scratch.filePath(kVersionFile);
        try {
            ftp.Get(kVersionFile, versionPath, false, kMaxVersionFileBytes);
        } catch (const FtpFileTooLarge&) {
            throw; // the bar gives E for it
        } catch (const std::exception& e) {
            // The bar takes a missing version file for "no newer build".
            probe.reason = QStringLiteral("no version file: %1").arg(MessageOf(e));
            ftp.Disconnect();
            return probe;
        }
        if (FileSizeOf(versionPath) <= 0) {
            probe.reason = QStringLiteral("the version file is empty");
        } else {
            probe.remote = RemoteVersion(ReadVersionFile(versionPath).lines);
            if (!IsNewerVersion(probe.remote, probe.local)) {
                probe.reason = QStringLiteral("the remote version is not newer");
            } else {
                const QString installerPath = scratch.filePath(kInstaller);
                ftp.Get(kInstaller, installerPath, true);
                probe.outcome = QStringLiteral("A");
                probe.reason = QStringLiteral("installer downloaded, %1 bytes").arg(QFileInfo(installerPath).size());
            }
        }
    } catch (const std::exception& e) {
        probe.outcome = QStringLiteral("E");
        probe.reason = MessageOf(e);
    }
    ftp.Disconnect();
    return probe;
}

} // namespace kovalt::admin
