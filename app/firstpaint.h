#pragma once

class QWidget;

namespace kovalt {

/// For the start-up benchmark: when KOVALT_FIRST_PAINT is set, prints "first-paint <ms since the
/// epoch>" to stderr at the window's first paint. Does nothing otherwise.
void ReportFirstPaint(QWidget* window);

} // namespace kovalt
