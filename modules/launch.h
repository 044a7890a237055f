#pragma once

#include <QString>

namespace kovalt {

/// Everything up to and including the last path separator or drive colon; empty when none.
QString DirectoryPart(const QString& path);
/// The command line of a module command: the command in one pair of double quotes.
QString LaunchCommandLine(const QString& command);
/// Makes the folder of the command's program current (a failure is ignored) and starts the
/// quoted command without waiting. True when the process was started.
bool StartModule(const QString& command);

} // namespace kovalt
