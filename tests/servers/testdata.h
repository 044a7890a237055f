#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Copies a file of tests/data/servers into dir and returns the copy's path.
inline QString CopyServersData(const QTemporaryDir& dir, const QString& name) {
    const QString source = qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/servers/") + name;
    const QString target = dir.filePath(name);
    QFile::remove(target);
    if (!QFile::copy(source, target)) qFatal("cannot copy test data %s", qPrintable(source));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return target;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline QByteArray ServersDataBytes(const QString& name) {
    return ReadBytes(qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/servers/") + name);
}
