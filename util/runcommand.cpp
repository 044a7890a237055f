#include "runcommand.h"
#include "fileutil.h"

#include <QDir>
#include <QFileInfo>

namespace kovalt {

namespace {
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool HasSeparator(const QString& name) {
#ifdef Q_OS_WIN
    return name.contains(u'/') || name.contains(u'\\') || name.contains(u':');
#else
    return name.contains(u'/');
#endif
}

bool IsProgramFile(const QString& path) {
    const QFileInfo info(path);
#ifdef Q_OS_WIN
    return info.isFile();
#else
    return info.isFile() && info.isExecutable();
#endif
}

QString FindIn(const QString& dir, const QString& name) {
    if (dir.isEmpty()) return {};
    const QString candidate = QDir(dir).absoluteFilePath(name);
    if (IsProgramFile(candidate)) return QDir::cleanPath(candidate);
    if (QFileInfo(name).suffix().isEmpty() && IsProgramFile(candidate + QStringLiteral(".exe")))
        return QDir::cleanPath(candidate + QStringLiteral(".exe"));
    return {};
}
} // namespace

QStringList SplitCommandLine(const QString& commandLine) {
    QStringList args;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (i < n && IsBlank(commandLine[i]))
        ++i;
    if (i >= n) return args;

    // The program name knows no escapes: a file name cannot hold a quote.
    QString program;
    if (commandLine[i] == u'"') {
        const qsizetype close = commandLine.indexOf(u'"', i + 1);
        const qsizetype end = close < 0 ? n : close;
        program = commandLine.mid(i + 1, end - i - 1);
        i = close < 0 ? n : close + 1;
    } else {
        while (i < n && !IsBlank(commandLine[i]))
            program += commandLine[i++];
    }
    args.append(program);

    while (true) {
        while (i < n && IsBlank(commandLine[i]))
            ++i;
        if (i >= n) break;
        QString arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            const QChar c = commandLine[i];
            if (c == u'\\') {
                qsizetype count = 0;
                while (i < n && commandLine[i] == u'\\') {
                    ++count;
                    ++i;
                }
                if (i < n && commandLine[i] == u'"') {
                    arg += QString(count / 2, u'\\');
                    if (count % 2 == 1) {
                        arg += u'"';
                        ++i;
                    }
                    // An even count leaves the quote to the quoting rule below.
                } else {
                    arg += QString(count, u'\\');
                }
            } else if (c == u'"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == u'"') {
                    arg += u'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += c;
                ++i;
            }
        }
        args.append(arg);
    }
    return args;
}

QString ResolveProgram(const QString& program) {
    if (program.isEmpty()) return {};
    if (HasSeparator(program)) return FindIn(QDir::currentPath(), program);
    for (const QString& dir : {ProgramDir(), QDir::currentPath()}) {
        const QString found = FindIn(dir, program);
        if (!found.isEmpty()) return found;
    }
    const QStringList path = QString::fromLocal8Bit(qgetenv("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& dir : path) {
        const QString found = FindIn(dir, program);
        if (!found.isEmpty()) return found;
    }
    return {};
}

} // namespace kovalt
