#pragma once

#include <QString>
#include <QStringList>

namespace kovalt {

/// Starts a process from the whole command line with the caller's environment and current folder;
/// with wait, waits without limit until it has ended. True when the process was started.
/// hidden starts its window hidden (Windows only).
bool RunCommand(const QString& commandLine, bool hidden, bool wait);

/// Splits a command line into arguments by the Windows rules: the program name runs up to the
/// next quote when it begins with one, else up to a blank; in the other arguments 2n backslashes
/// and a quote give n backslashes and toggle quoting, 2n+1 backslashes and a quote give n
/// backslashes and a literal quote, other backslashes are literal, and "" inside quotes is a
/// literal quote.
QStringList SplitCommandLine(const QString& commandLine);

/// The program file a process start uses: a name with a path separator as it stands (relative to
/// the current folder); a bare name from ProgramDir(), the current folder, then PATH. When the name
/// has no extension, ".exe" appended is tried too. Empty when no program file is found.
QString ResolveProgram(const QString& program);

} // namespace kovalt
