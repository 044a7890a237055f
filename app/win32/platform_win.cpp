// Windows: the window-system pieces of the bar that need the Windows API. The rest of its window
// behaviour comes from Qt: the opacity (setWindowOpacity makes the window a layered one), the move
// by the title (QWindow::startSystemMove runs the system's move loop, as a title bar hit would).
#include "app/singleinstance.h"
#include "app/win32/window_win.h"

#include <windows.h>

namespace kovalt {

QString CurrentUserId()
{
    wchar_t name[256];
    DWORD size = 256;
    if (!GetUserNameW(name, &size))
        return QString();
    return QString::fromWCharArray(name);
}

// Only a process that has the foreground may hand it on; the running bar asks for it next.
void AllowOtherToForeground() { AllowSetForegroundWindow(ASFW_ANY); }

namespace win32 {

// The system's move loop, started by QWindow::startSystemMove, ends with WM_EXITSIZEMOVE; the bar
// snaps to the screen edges then.
bool IsExitSizeMove(const QByteArray& eventType, const void* message)
{
    return eventType == "windows_generic_MSG" && static_cast<const MSG*>(message)->message == WM_EXITSIZEMOVE;
}

} // namespace win32

} // namespace kovalt
