#pragma once

// Starts tests/fixtures/ftp/ftpserver.py on 127.0.0.1 for the length of one test.

#include "fixtures/portserver.h"

#include <QString>
#include <QStringList>

class FtpFixture : public PortServer {
public:
    /// Serves root with the login user/password; extraArgs selects fault variants of the server.
    FtpFixture(const QString& root, const QString& logPath, const QStringList& extraArgs = {},
               const QString& user = QStringLiteral("kovalt"), const QString& password = QStringLiteral("heslo"))
        : PortServer(qEnvironmentVariable("KOVALT_FTP_PYTHON", QStringLiteral("python3")),
                     QStringLiteral("ftp/ftpserver.py"),
                     QStringList{QStringLiteral("--root"), root, QStringLiteral("--user"), user,
                                 QStringLiteral("--password"), password, QStringLiteral("--log"), logPath} +
                         extraArgs,
                     logPath, QStringLiteral("FTP server")) {}

    /// The commands of the log that begin with verb (e.g. "CWD"), whole lines.
    QStringList commands(const QString& verb) const {
        QStringList found;
        for (const QString& line : log())
            if (line.section(u' ', 0, 0).compare(verb, Qt::CaseInsensitive) == 0) found.append(line);
        return found;
    }
};
