// POSIX: no shell; the program is found as a Windows process start would find it.
#include "../runcommand.h"

#include <QProcess>

namespace kovalt {

bool RunCommand(const QString& commandLine, bool hidden, bool wait) {
    Q_UNUSED(hidden);
    QStringList args = SplitCommandLine(commandLine);
    if (args.isEmpty()) return false;
    const QString program = ResolveProgram(args.takeFirst());
    if (program.isEmpty()) return false;
    if (!wait) return QProcess::startDetached(program, args);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, args);
    if (!process.waitForStarted(-1)) return false;
    process.waitForFinished(-1);
    return true;
}

} // namespace kovalt
