#pragma once

// Starts tests/fixtures/ftp/ftpserver.py on 127.0.0.1 for the length of one test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

class FtpFixture {
public:
    /// Serves root with the login user/password; extraArgs selects fault variants of the server.
    FtpFixture(const QString& root, const QString& logPath, const QStringList& extraArgs = {},
               const QString& user = QStringLiteral("kovalt"), const QString& password = QStringLiteral("heslo"))
        : m_logPath(logPath) {
        const QString python = qEnvironmentVariable("KOVALT_FTP_PYTHON", QStringLiteral("python3"));
        const QString script = qEnvironmentVariable("KOVALT_FIXTURE_DIR") + QStringLiteral("/ftp/ftpserver.py");
        QStringList args{script, QStringLiteral("--root"),     root,     QStringLiteral("--user"),
                         user,   QStringLiteral("--password"), password, QStringLiteral("--log"),
                         logPath};
        args += extraArgs;
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(python, args);
        if (!m_process.waitForStarted(10000)) {
            m_error = QStringLiteral("cannot start %1: %2").arg(python, m_process.errorString());
            return;
        }
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
            if (m_process.state() != QProcess::Running) break;
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
        }
        bool ok = false;
        m_port = out.trimmed().toUShort(&ok);
        if (!ok || m_port == 0)
            m_error = QStringLiteral("the FTP server gave no port: %1 %2")
                          .arg(QString::fromUtf8(out), QString::fromUtf8(m_process.readAllStandardError()));
    }

    ~FtpFixture() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    FtpFixture(const FtpFixture&) = delete;
    FtpFixture& operator=(const FtpFixture&) = delete;

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    quint16 port() const { return m_port; }
    /// The connections and commands the server has received so far, one per line.
    QStringList log() const {
        QFile file(m_logPath);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    /// The commands of the log that begin with verb (e.g. "CWD"), whole lines.
    QStringList commands(const QString& verb) const {
        QStringList found;
        for (const QString& line : log())
            if (line.section(u' ', 0, 0).compare(verb, Qt::CaseInsensitive) == 0) found.append(line);
        return found;
    }

private:
    QProcess m_process;
    QString m_logPath;
    QString m_error;
    quint16 m_port = 0;
};
