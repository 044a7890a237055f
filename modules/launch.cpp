#include "launch.h"
#include "modulelist.h"

#include "util/runcommand.h"

#include <QDir>

namespace kovalt {

QString DirectoryPart(const QString& path) {
    qsizetype cut = qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    cut = qMax(cut, path.lastIndexOf(u':'));
    return path.left(cut + 1);
}

QString LaunchCommandLine(const QString& command) {
    return u'"' + command + u'"';
}

bool StartModule(const QString& command) {
    const QString dir = DirectoryPart(CestaProgramu(command));
    if (!dir.isEmpty()) QDir::setCurrent(dir);
    return RunCommand(LaunchCommandLine(command), false, false);
}

} // namespace kovalt
