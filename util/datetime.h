#pragma once

#include <QDateTime>

namespace kovalt {

/// A date-time as the suite stores it: days since 30 December 1899, midnight; the fraction is the time of day.
using DateTime = double;

DateTime ToDateTime(const QDateTime& local);
QDateTime FromDateTime(DateTime value);
/// Cuts a local time to the two-second resolution of the DOS date-and-time format; a time outside
/// the years 1980 to 2107, which the format cannot hold, gives an invalid date-time.
QDateTime ToDosResolution(const QDateTime& local);

} // namespace kovalt
