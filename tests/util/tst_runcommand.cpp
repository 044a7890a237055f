#include "util/fileutil.h"
#include "util/runcommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kovalt;

namespace {
const char* const kOut = "argdump.out";

QString ArgDump() {
    return qEnvironmentVariable("KOVALT_ARGDUMP");
}

bool CopyProgram(const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::copy(ArgDump(), to);
}

QString Quoted(const QString& path) {
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// The lines argdump wrote: current directory, own file, then the arguments.
QStringList Dump(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
} // namespace

class TestRunCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void splitCommandLine_data();
    void splitCommandLine();
    void resolveProgram_data();
    void resolveProgram();
    void runCommand_passesArgumentsAndCallersFolder();
    void runCommand_takesProgramDirFirst();
    void runCommand_waitReturnsAfterTheEnd();
    void runCommand_missingProgramGivesFalse_data();
    void runCommand_missingProgramGivesFalse();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
    QByteArray m_oldPath;
};

void TestRunCommand::initTestCase() {
    QVERIFY2(QFileInfo(ArgDump()).isExecutable(), "KOVALT_ARGDUMP names no program");
    m_oldCwd = QDir::currentPath();
    m_oldPath = qgetenv("PATH");
}

void TestRunCommand::init() {
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    for (const char* sub : {"prog", "cwd", "path"})
        QVERIFY(QDir(m_dir->path()).mkdir(sub));
    QVERIFY(QDir::setCurrent(m_dir->filePath("cwd")));
    SetProgramDirOverride(m_dir->filePath("prog"));
    qputenv("PATH", QFile::encodeName(m_dir->filePath("path")));
    qunsetenv("ARGDUMP_OUT");
}

void TestRunCommand::cleanup() {
    QDir::setCurrent(m_oldCwd);
    SetProgramDirOverride(QString());
    qputenv("PATH", m_oldPath);
    delete m_dir;
    m_dir = nullptr;
}

void TestRunCommand::splitCommandLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("program and plain arguments") << "prog a b" << QStringList{"prog", "a", "b"};
    QTest::newRow("tabs and runs of blanks separate") << "prog\ta  \t b" << QStringList{"prog", "a", "b"};
    QTest::newRow("blanks around the line") << "  prog a  " << QStringList{"prog", "a"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("blank line") << " \t " << QStringList{};
    QTest::newRow("quoted program with blanks")
        << "\"C:\\Program Files\\k\\modul.exe\" /x" << QStringList{"C:\\Program Files\\k\\modul.exe", "/x"};
    QTest::newRow("program quote is not escaped by a backslash") << "\"C:\\k\\\" a" << QStringList{"C:\\k\\", "a"};
    QTest::newRow("quoted program ends at its quote") << "\"a b\"c d" << QStringList{"a b", "c", "d"};
    QTest::newRow("unquoted program keeps backslashes and quotes")
        << "C:\\k\\a\"b c" << QStringList{"C:\\k\\a\"b", "c"};
    QTest::newRow("quoted argument with blanks") << "p \"a b\" c" << QStringList{"p", "a b", "c"};
    QTest::newRow("quotes in the middle join") << "p a\"b c\"d" << QStringList{"p", "ab cd"};
    QTest::newRow("empty quoted argument") << "p \"\" x" << QStringList{"p", "", "x"};
    QTest::newRow("2n backslashes and a quote: n backslashes, quote toggles")
        << "p a\\\\\\\\\"b c\"" << QStringList{"p", "a\\\\b c"};
    QTest::newRow("2n+1 backslashes and a quote: n backslashes and a quote")
        << "p a\\\\\\\"b c" << QStringList{"p", "a\\\"b", "c"};
    QTest::newRow("one backslash and a quote") << "p \\\"x\\\"" << QStringList{"p", "\"x\""};
    QTest::newRow("backslashes not before a quote are literal")
        << "p a\\\\b\\ c\\" << QStringList{"p", "a\\\\b\\", "c\\"};
    QTest::newRow("backslash before the closing quote escapes it")
        << "setup.exe /DIR=\"C:\\k\\\"" << QStringList{"setup.exe", "/DIR=C:\\k\""};
    QTest::newRow("doubled backslash before the closing quote")
        << "setup.exe /DIR=\"C:\\k\\\\\" x" << QStringList{"setup.exe", "/DIR=C:\\k\\", "x"};
    QTest::newRow("doubled quote inside quotes is a quote") << "p \"a\"\"b\"" << QStringList{"p", "a\"b"};
    QTest::newRow("doubled quote keeps the quoting") << "p \"a\"\"b c\"" << QStringList{"p", "a\"b c"};
    QTest::newRow("doubled quote outside quotes is nothing") << "p a\"\"b" << QStringList{"p", "ab"};
    QTest::newRow("escaped quote inside quotes") << "p \"a\\\"b\"" << QStringList{"p", "a\"b"};
    QTest::newRow("unclosed quote runs to the end") << "p \"a b" << QStringList{"p", "a b"};
    QTest::newRow("Czech letters") << "p žluťoučký" << QStringList{"p", "žluťoučký"};
}

void TestRunCommand::splitCommandLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, args);
    QCOMPARE(SplitCommandLine(line), args);
}

void TestRunCommand::resolveProgram_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare name from the program folder first") << "tool.exe"
                                                             << "prog/tool.exe";
    QTest::newRow("then from the current folder") << "other.exe"
                                                  << "cwd/other.exe";
    QTest::newRow("then from PATH") << "third.exe"
                                    << "path/third.exe";
    QTest::newRow(".exe appended to a name without extension") << "third"
                                                               << "path/third.exe";
    QTest::newRow("a file that cannot run is passed over") << "plain.exe"
                                                           << "path/plain.exe";
    QTest::newRow("a name with a folder is taken from the current folder") << "sub/tool.exe"
                                                                           << "cwd/sub/tool.exe";
    QTest::newRow("a path through .. is taken as it stands") << "../path/tool.exe"
                                                             << "path/tool.exe";
    QTest::newRow("an absolute path") << "@/path/other.exe"
                                      << "path/other.exe";
    QTest::newRow("missing bare name") << "none.exe"
                                       << "";
    QTest::newRow("missing path") << "sub/none.exe"
                                  << "";
    QTest::newRow("a folder is no program") << "sub"
                                            << "";
    QTest::newRow("empty name") << ""
                                << "";
}

void TestRunCommand::resolveProgram() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString root = m_dir->path();
    for (const char* file : {"prog/tool.exe", "prog/sub/tool.exe", "cwd/tool.exe", "cwd/other.exe", "cwd/sub/tool.exe",
                             "path/tool.exe", "path/other.exe", "path/third.exe", "path/plain.exe"})
        QVERIFY(CopyProgram(root + u'/' + QLatin1String(file)));
    QFile plain(root + QStringLiteral("/prog/plain.exe"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    name.replace(u'@', root);
    const QString found = ResolveProgram(name);
    if (expected.isEmpty())
        QCOMPARE(found, QString());
    else
        QCOMPARE(Canonical(found), Canonical(root + u'/' + expected));
}

void TestRunCommand::runCommand_passesArgumentsAndCallersFolder() {
    const QString program = m_dir->filePath("prog dir/argdump.exe");
    QVERIFY(CopyProgram(program));
    const QString line = Quoted(program) + " plain \"with blank\" a\\\"b \"trail\\\\\" \"\" žluť";
    QVERIFY(RunCommand(line, false, false));
    const QString out = m_dir->filePath("cwd/argdump.out");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 20000);
    const QStringList dump = Dump(out);
    QCOMPARE(dump.size(), 8);
    QCOMPARE(Canonical(dump[0]), Canonical(m_dir->filePath("cwd")));
    QCOMPARE(Canonical(dump[1]), Canonical(program));
    QCOMPARE(dump.mid(2), (QStringList{"plain", "with blank", "a\"b", "trail\\", "", QStringLiteral("žluť")}));
}

void TestRunCommand::runCommand_takesProgramDirFirst() {
    QVERIFY(CopyProgram(m_dir->filePath("prog/argdump.exe")));
    QVERIFY(CopyProgram(m_dir->filePath("cwd/argdump.exe")));
    QVERIFY(CopyProgram(m_dir->filePath("path/argdump.exe")));
    const QString out = m_dir->filePath("out.txt");
    qputenv("ARGDUMP_OUT", QFile::encodeName(out));
    // hidden only matters where windows are shown
    QVERIFY(RunCommand(QStringLiteral("argdump x"), true, false));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 20000);
    const QStringList dump = Dump(out);
    QCOMPARE(dump.size(), 3);
    QCOMPARE(Canonical(dump[1]), Canonical(m_dir->filePath("prog/argdump.exe")));
    QCOMPARE(dump[2], QStringLiteral("x"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("cwd/argdump.out")));
}

void TestRunCommand::runCommand_waitReturnsAfterTheEnd() {
    QVERIFY(CopyProgram(m_dir->filePath("path/argdump.exe")));
    QVERIFY(RunCommand(QStringLiteral("argdump.exe waited"), false, true));
    // No retry: the program has written its file by the time RunCommand returns.
    const QStringList dump = Dump(m_dir->filePath("cwd/argdump.out"));
    QCOMPARE(dump.size(), 3);
    QCOMPARE(dump[2], QStringLiteral("waited"));
}

void TestRunCommand::runCommand_missingProgramGivesFalse_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("bare name found nowhere") << "none.exe argdump.exe";
    QTest::newRow("missing path") << "\"@/prog/none.exe\"";
    QTest::newRow("a file that cannot run") << "\"@/prog/plain.exe\"";
    QTest::newRow("a folder") << "\"@/prog\"";
    QTest::newRow("empty command line") << "";
    QTest::newRow("blank command line") << "   ";
}

void TestRunCommand::runCommand_missingProgramGivesFalse() {
    QFETCH(QString, line);
    QVERIFY(CopyProgram(m_dir->filePath("path/argdump.exe")));
    QFile plain(m_dir->filePath("prog/plain.exe"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\n");
    plain.close();
    line.replace(u'@', m_dir->path());
    QVERIFY(!RunCommand(line, false, false));
    QVERIFY(!RunCommand(line, false, true));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("cwd/argdump.out")));
}

QTEST_GUILESS_MAIN(TestRunCommand)
#include "tst_runcommand.moc"
