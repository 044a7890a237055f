#pragma once

class QWidget;

namespace kovalt {

/// For the start-up benchmark: when KOVALT_FIRST_PAINT is set, prints "first-paint <ms since the
/// epoch>" to stderr at the window's first paint. Does nothing otherwise.
void ReportFirstPaint(QWidget* window);

/// For the start-up benchmark: when KOVALT_FIRST_PAINT is set, prints "filled <ms since the epoch>"
/// to stderr once the module column is complete. Does nothing otherwise.
void ReportFilled();

} // namespace kovalt
