#pragma once

#include "datetime.h"

#include <QByteArray>
#include <QString>

namespace kovalt {

/// The directory of the running program file, with its trailing separator.
QString ProgramDir();
/// Lets tests and tools point ProgramDir elsewhere; an empty text restores the real one.
void SetProgramDirOverride(const QString& dir);

/// True for an existing file; false for a directory and for an empty path.
bool FileExists(const QString& path);
/// Size of the first directory entry matching path (wildcards allowed), low 32 bits; 0 when none.
qint32 FileSizeOf(const QString& path);
/// Last-write time of the first matching entry in local time at two-second resolution; 0 when none
/// or when the time lies outside the years 1980 to 2107 of that format.
DateTime FileDateTimeOf(const QString& path);
/// Copies in 16 KiB blocks and gives the destination the source's time at two-second resolution.
bool CopyFileWithDate(const QString& source, const QString& destination);

/// Writes the whole file through a temporary file in the same folder; the old file stays whole
/// when anything fails. Throws Error naming the file.
void WriteFileAtomic(const QString& path, const QByteArray& data);

/// Joins a directory that ends with a separator (or is empty) and a file name.
inline QString InDir(const QString& dir, const QString& name) {
    return dir + name;
}

} // namespace kovalt
