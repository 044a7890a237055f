#pragma once

// Runs the real kovalt05-admin program and takes in what it printed.

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct AdminRun {
    int exitCode = -1;
    bool finished = false;
    QStringList out; ///< standard output, one entry per line (an empty line is an empty entry)
    QString err;     ///< standard error, whole
};

inline QString AdminProgram() {
    return qEnvironmentVariable("KOVALT_ADMIN");
}

inline AdminRun RunAdmin(const QStringList& args,
                         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                         const QString& program = AdminProgram(), int timeoutMs = 120000) {
    AdminRun run;
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        run.err = QStringLiteral("cannot start %1: %2").arg(program, process.errorString());
        return run;
    }
    process.closeWriteChannel();
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    QString text = QString::fromUtf8(process.readAllStandardOutput());
    text.remove(u'\r');
    run.out = text.split(u'\n');
    if (run.out.last().isEmpty()) run.out.removeLast();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString AdminData(const QString& name) {
    return qEnvironmentVariable("KOVALT_TEST_DATA") + u'/' + name;
}

/// Copies a file of tests/data (a path below it, e.g. "servers/example.ini") to target.
inline bool CopyData(const QString& dataName, const QString& target) {
    QFile::remove(target);
    return QFile::copy(AdminData(dataName), target) &&
           QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

/// Every entry below root with its bytes and last-write time, to tell whether anything changed.
inline QMap<QString, QString> Snapshot(const QString& root) {
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString key = QDir(root).relativeFilePath(path);
        entries[key] = info.isDir() ? QStringLiteral("dir")
                                    : QString::number(info.lastModified().toMSecsSinceEpoch()) + u' ' +
                                          QString::fromLatin1(FileBytes(path).toBase64());
    }
    return entries;
}
