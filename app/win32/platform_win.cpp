#include "app/singleinstance.h"

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

} // namespace kovalt
