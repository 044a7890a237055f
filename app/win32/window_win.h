#pragma once
// Windows: the window messages the bar listens for itself. Kept here so that <windows.h>, whose
// macros rename MessageBox and others, stays out of the bar's own files.
#include <QByteArray>

namespace kovalt::win32 {

/// True for WM_EXITSIZEMOVE: the end of a move (or size) loop the window system ran for the bar.
/// eventType and message as QWidget::nativeEvent gets them.
bool IsExitSizeMove(const QByteArray& eventType, const void* message);

} // namespace kovalt::win32
