#include "datetime.h"

#include <cmath>

namespace kovalt {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

DateTime ToDateTime(const QDateTime& local) {
    if (!local.isValid()) return 0;
    const QDateTime l = local.toLocalTime();
    const double days = double(kEpoch.daysTo(l.date()));
    const double frac = double(l.time().msecsSinceStartOfDay()) / kMsPerDay;
    // Before the epoch the fraction still counts forward from midnight, as the suite's format does.
    return days >= 0 ? days + frac : days - frac;
}

QDateTime FromDateTime(DateTime value) {
    const double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    qint64 days = qint64(whole);
    // A fraction that rounds up to a whole day is the next midnight (the previous one before the epoch).
    if (ms >= qint64(kMsPerDay)) {
        ms = 0;
        days += value < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::LocalTime);
}

QDateTime ToDosResolution(const QDateTime& local) {
    const QDateTime l = local.toLocalTime();
    // Seven bits of years from 1980: FileTimeToDosDateTime fails outside them.
    if (!l.isValid() || l.date().year() < 1980 || l.date().year() > 2107) return {};
    const QTime t = l.time();
    const QTime cut(t.hour(), t.minute(), t.second() - t.second() % 2);
    return QDateTime(l.date(), cut, Qt::LocalTime);
}

} // namespace kovalt
