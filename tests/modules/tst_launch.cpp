#include "modules/launch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kovalt;

class TestLaunch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_startDir;
    QString m_dir;
    QString m_out;

    // Lines of the argdump record once it is complete: directory, program, arguments.
    QStringList Record() {
        QFile file(m_out);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        m_startDir = QDir::currentPath();
        m_dir = QDir::toNativeSeparators(m_tmp.path() + "/prog dir") + QDir::separator();
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(QFile::copy(QString::fromLocal8Bit(qgetenv("ARGDUMP_EXE")), m_dir + "modul.exe"));
        m_out = m_tmp.path() + "/argdump.out";
        qputenv("ARGDUMP_OUT", QFile::encodeName(m_out));
    }
    void init() { QFile::remove(m_out); }
    void cleanup() { QDir::setCurrent(m_startDir); }

    void directoryPart_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("dir");
        QTest::newRow("Windows path") << "C:\\Kovalt\\mzdy.exe"
                                      << "C:\\Kovalt\\";
        QTest::newRow("drive colon only") << "D:mzdy.exe"
                                          << "D:";
        QTest::newRow("slashes") << "/opt/kovalt/mzdy.exe"
                                 << "/opt/kovalt/";
        QTest::newRow("bare name") << "mzdy.exe"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void directoryPart() {
        QFETCH(QString, path);
        QFETCH(QString, dir);
        QCOMPARE(DirectoryPart(path), dir);
    }

    void commandLine_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("line");
        QTest::newRow("program alone") << "C:\\K\\a.exe"
                                       << "\"C:\\K\\a.exe\"";
        QTest::newRow("quoted argument") << "C:\\K\\a.exe\" \"/x y"
                                         << "\"C:\\K\\a.exe\" \"/x y\"";
        QTest::newRow("unlaunchable: two quotes") << ""
                                                  << "\"\"";
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QString, line);
        QCOMPARE(LaunchCommandLine(command), line);
    }

    void start_runsInProgramDirWithQuotedArguments() {
        QVERIFY(StartModule(m_dir + "modul.exe\" \"first arg\" \"second"));
        QTRY_VERIFY_WITH_TIMEOUT(Record().size() >= 2, 10000);
        const QStringList record = Record();
        QCOMPARE(QDir(record.value(0)).canonicalPath(), QDir(m_dir).canonicalPath());
        QCOMPARE(record.mid(2), (QStringList{"first arg", "second"}));
        QCOMPARE(QDir(QDir::currentPath()).canonicalPath(), QDir(m_dir).canonicalPath());
    }

    void start_programAloneGetsNoArguments() {
        QVERIFY(StartModule(m_dir + "modul.exe"));
        QTRY_VERIFY_WITH_TIMEOUT(Record().size() >= 2, 10000);
        QCOMPARE(Record().size(), 2);
    }

    void start_emptyCommandFailsAndKeepsDirectory() {
        QVERIFY(!StartModule(QString()));
        QCOMPARE(QDir::currentPath(), m_startDir);
    }

    void start_relativeProgramKeepsDirectory() {
        QVERIFY(QDir::setCurrent(m_dir));
        QVERIFY(StartModule("modul.exe\" \"x"));
        QTRY_VERIFY_WITH_TIMEOUT(Record().size() >= 3, 10000);
        QCOMPARE(QDir(Record().value(0)).canonicalPath(), QDir(m_dir).canonicalPath());
        QCOMPARE(Record().value(2), QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_launch.moc"
