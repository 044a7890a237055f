// Windows: the bar's side of the process start; the start itself is in process.cpp.
#include "../runcommand.h"
#include "process.h"

namespace kovalt {

bool RunCommand(const QString& commandLine, bool hidden, bool wait) {
    return win32::StartProcess(commandLine.toStdWString(), hidden, wait).started;
}

} // namespace kovalt
