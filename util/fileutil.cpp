#include "fileutil.h"
#include "error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kovalt {

namespace {
QString g_programDirOverride;

#ifndef Q_OS_WIN
QFileInfo FirstMatch(const QString& path) {
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.contains(u'*') || name.contains(u'?')) {
        const QDir dir = info.dir();
        const QFileInfoList list =
            dir.entryInfoList({name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                              QDir::Name | QDir::IgnoreCase);
        return list.isEmpty() ? QFileInfo() : list.first();
    }
    return info.exists() ? info : QFileInfo();
}
#endif
} // namespace

QString ProgramDir() {
    if (!g_programDirOverride.isEmpty()) return g_programDirOverride;
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) return {};
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

void SetProgramDirOverride(const QString& dir) {
    g_programDirOverride = dir;
    if (!g_programDirOverride.isEmpty() && !g_programDirOverride.endsWith(u'/') &&
        !g_programDirOverride.endsWith(u'\\'))
        g_programDirOverride += QDir::separator();
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// On Windows these three are win32/fileutil_win.cpp.
#ifndef Q_OS_WIN
qint32 FileSizeOf(const QString& path) {
    const QFileInfo info = FirstMatch(path);
    if (!info.exists() || info.isDir()) return 0;
    return qint32(quint32(quint64(info.size()) & 0xFFFFFFFFu));
}

DateTime FileDateTimeOf(const QString& path) {
    const QFileInfo info = FirstMatch(path);
    if (!info.exists()) return 0;
    return ToDateTime(ToDosResolution(info.lastModified()));
}

bool CopyFileWithDate(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    // A read-only destination stays, as Windows' copy leaves it (see WriteFileAtomic for root).
    const QFileInfo existing(destination);
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (existing.exists() && !existing.isDir() && !(existing.permissions() & anyWrite)) return false;
    // Through a temporary file in the destination's folder: a copy that fails half-way (a full
    // disk) leaves the old backup whole instead of an empty or cut one.
    QSaveFile out(destination);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    char block[16384];
    while (true) {
        const qint64 got = in.read(block, sizeof block);
        if (got < 0) {
            out.cancelWriting();
            return false;
        }
        if (got == 0) break;
        if (out.write(block, got) != got) {
            out.cancelWriting();
            return false;
        }
    }
    // The time is set on the temporary file; the rename keeps it.
    const QDateTime stamp = ToDosResolution(QFileInfo(in).lastModified());
    if (stamp.isValid()) out.setFileTime(stamp, QFileDevice::FileModificationTime);
    return out.commit();
}
#endif

void WriteFileAtomic(const QString& path, const QByteArray& data) {
#ifndef Q_OS_WIN
    // A file with no write permission is read-only, as the read-only attribute makes it on Windows; keep it
    // even for a privileged user, whom the rename below would not stop.
    const QFileInfo existing(path);
    // WriteUser is left out: it reports access(), which is always granted to root.
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (existing.exists() && !existing.isDir() && !(existing.permissions() & anyWrite))
        throw Error(QStringLiteral("Cannot create file \"%1\". Access is denied").arg(QDir::toNativeSeparators(path)));
#endif
    QSaveFile file(path);
    // Write through a temporary file even where the folder forbids it, so a failure is reported
    // instead of QSaveFile quietly writing in place.
    file.setDirectWriteFallback(false);
    // Unbuffered, so a full disk fails the write itself: a buffered one lost the error on commit and
    // left an empty file behind.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
    }
    if (!file.commit())
        throw Error(
            QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace kovalt
