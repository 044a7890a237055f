// Windows: the bar's side of file sizes, dates and copies; the Windows calls are in files.cpp.
#include "../fileutil.h"
#include "files.h"

#include <QDate>
#include <QDir>

namespace kovalt {

namespace {
std::wstring Native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}
} // namespace

qint32 FileSizeOf(const QString& path) {
    const auto size = win32::FirstMatchSize(Native(path));
    return size ? qint32(*size) : 0;
}

DateTime FileDateTimeOf(const QString& path) {
    const auto dos = win32::FirstMatchDosDateTime(Native(path));
    if (!dos) return 0;
    // Straight from the fields: the local time is taken as the DOS format gives it, also in the
    // hour a daylight-saving change skips.
    const QDate date(dos->Year(), dos->Month(), dos->Day());
    if (!date.isValid()) return 0;
    const int seconds = dos->Hour() * 3600 + dos->Minute() * 60 + dos->Second();
    return double(QDate(1899, 12, 30).daysTo(date)) + seconds / 86400.0;
}

bool CopyFileWithDate(const QString& source, const QString& destination) {
    return win32::CopyFileWithDate(Native(source), Native(destination));
}

} // namespace kovalt
