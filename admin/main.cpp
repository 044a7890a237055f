// kovalt05-admin: the bar's settings, servers, modules and update check from the command line.
#include "commands.h"
#include "output.h"

#include "util/fileutil.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <exception>

using namespace kovalt::admin;

namespace {

const char* const kHelp = R"(Usage: kovalt05-admin [--dir DIR] COMMAND [ARGUMENTS]

Looks after a Kovalt05 program directory: the database servers of kovalt05.ini,
the module list moduly.ini and the update check. Output is UTF-8, one item per
line, fields separated by TAB.

Commands:
  servers              the server tiles of server mode: number, name, address
                       line, active or inactive
  activate NAME [--test]
                       makes the server NAME (exact spelling) the active one in
                       kovalt05.ini, as a double click in server mode does;
                       with --test the connection test follows
  label                the server label of the connection notice
  test-connection      connects to the active server: OK, or the client
                       library's error number and text
  modules              the modules as module mode shows them: slot, name,
                       command, description; a section left out as
                       "-", its number and why
  check-update         asks the update server: local version, remote version,
                       outcome N, E or A with the reason; downloads into a
                       temporary folder only and changes no file of DIR

Options:
  --dir DIR            the program directory (default: the folder of this
                       program)
  --test               with activate: test the connection afterwards
  -h, --help           this text

Exit status: 0 success, 1 the checked thing fails (connection, update server),
2 bad usage or a file that cannot be read or written; the reason goes to
standard error.
)";

struct Invocation {
    QString command;
    QStringList arguments;
    QString dir;
    bool test = false;
    bool help = false;
};

Invocation Parse(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption dirOption(QStringLiteral("dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption testOption(QStringLiteral("test"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({dirOption, testOption, helpOption});
    if (!parser.parse(args)) throw UsageError(parser.errorText());

    Invocation call;
    call.help = parser.isSet(helpOption);
    call.test = parser.isSet(testOption);
    if (parser.values(dirOption).size() > 1) throw UsageError(QStringLiteral("--dir is given more than once"));
    call.dir = parser.value(dirOption);
    if (parser.isSet(dirOption) && call.dir.isEmpty()) throw UsageError(QStringLiteral("--dir needs a directory"));
    QStringList positional = parser.positionalArguments();
    if (call.help) return call;
    if (positional.isEmpty()) throw UsageError(QStringLiteral("no command given"));
    call.command = positional.takeFirst();
    call.arguments = positional;

    static const QStringList plain{QStringLiteral("servers"), QStringLiteral("label"),
                                   QStringLiteral("test-connection"), QStringLiteral("modules"),
                                   QStringLiteral("check-update")};
    if (call.command == QStringLiteral("activate")) {
        if (call.arguments.size() != 1) throw UsageError(QStringLiteral("activate needs exactly one server name"));
    } else if (plain.contains(call.command)) {
        if (!call.arguments.isEmpty()) throw UsageError(QStringLiteral("%1 takes no arguments").arg(call.command));
    } else {
        throw UsageError(QStringLiteral("unknown command \"%1\"").arg(call.command));
    }
    if (call.test && call.command != QStringLiteral("activate"))
        throw UsageError(QStringLiteral("--test applies only to activate"));
    return call;
}

// The program directory with its trailing separator; throws when it is not a directory.
QString ProgramDirectory(const QString& given) {
    if (given.isEmpty()) return kovalt::ProgramDir();
    const QFileInfo info(given);
    if (!info.isDir())
        throw kovalt::Error(QStringLiteral("program directory not found: %1").arg(QDir::toNativeSeparators(given)));
    kovalt::SetProgramDirOverride(QDir::toNativeSeparators(info.absoluteFilePath()));
    return kovalt::ProgramDir();
}

int Run(const Invocation& call) {
    const QString dir = ProgramDirectory(call.dir);
    if (call.command == QStringLiteral("servers")) return Servers(dir);
    if (call.command == QStringLiteral("activate")) return Activate(dir, call.arguments.first(), call.test);
    if (call.command == QStringLiteral("label")) return Label(dir);
    if (call.command == QStringLiteral("test-connection")) return TestConnection(dir);
    if (call.command == QStringLiteral("modules")) return Modules(dir);
    return CheckUpdate(dir);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kovalt05-admin"));
    const QString prefix = QStringLiteral("kovalt05-admin: ");
    try {
        const Invocation call = Parse(QCoreApplication::arguments());
        if (call.help) {
            PrintLine(QString::fromUtf8(kHelp).chopped(1));
            return ExitOk;
        }
        return Run(call);
    } catch (const UsageError& e) {
        PrintError(prefix + e.message());
        PrintError(QStringLiteral("Try 'kovalt05-admin --help'."));
        return ExitUsage;
    } catch (const kovalt::Error& e) {
        PrintError(prefix + e.message());
        return ExitUsage;
    } catch (const std::exception& e) {
        PrintError(prefix + QString::fromUtf8(e.what()));
        return ExitUsage;
    }
}
