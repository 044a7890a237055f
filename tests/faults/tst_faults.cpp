#include "modules/modulelist.h"
#include "modules/tilelist.h"
#include "servers/settingsfile.h"
#include "util/error.h"
#include "util/ini.h"
#include "util/textfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kovalt;

namespace {
enum class Writer { Activation, PlacementKey, ModuleList };

QString FileOf(Writer w) {
    return w == Writer::ModuleList ? QStringLiteral("moduly.ini") : QStringLiteral("kovalt05.ini");
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Puts the writer's sample file into dir.
void Prepare(Writer w, const QString& dir) {
    const QString data = qEnvironmentVariable("KOVALT_TEST_DATA");
    const QString source = w == Writer::ModuleList ? data + QStringLiteral("/modules/moduly.ini")
                           : w == Writer::Activation ? data + QStringLiteral("/servers/example.ini")
                                                      : data + QStringLiteral("/placement/kovalt05.ini");
    const QString target = QDir(dir).filePath(FileOf(w));
    QFile::remove(target);
    if (!QFile::copy(source, target)) qFatal("cannot copy %s", qPrintable(source));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

// Write number k as the program makes it: an activation, a placement key, a reordered module list.
void Write(Writer w, const QString& dir, int k) {
    const QString path = QDir(dir).filePath(FileOf(w));
    switch (w) {
    case Writer::Activation: {
        QStringList lines = ReadTextFile(path).lines;
        QStringList part = ExtractServerPart(lines);
        ActivateServerInFile(path, lines, part, k % 2 ? QStringLiteral("Beta") : QStringLiteral("Alpha"));
        break;
    }
    case Writer::PlacementKey:
        IniFileWriteKey(path, QStringLiteral("TForm3"), QStringLiteral("Left"),
                        k % 2 ? QStringLiteral("7") : QStringLiteral("-1234567890"));
        break;
    case Writer::ModuleList: {
        TileList list;
        const QString names[] = {QStringLiteral("Účetnictví"), QStringLiteral("Sklad"), QStringLiteral("Mzdy")};
        for (int j = 1; j <= 3; ++j) {
            const int from = k % 2 ? 3 - j : j - 1;
            list.Names[j] = names[from];
            list.Commands[j] = QStringLiteral("C:\\Kovalt05\\m%1.exe").arg(from);
            list.Descriptions[j] = QStringLiteral("Popis ") + names[from];
        }
        list.Count = k % 2 ? 2 : 3;
        UlozModuly(list, QDir(dir).absolutePath() + u'/', QDateTime(QDate(2026, 12, 11), QTime(12, 0, 0)));
        break;
    }
    }
}

// Every state the file may be in during a run of writes: the sample and each write's result.
QSet<QByteArray> States(Writer w) {
    QTemporaryDir dir;
    Prepare(w, dir.path());
    const QString path = dir.filePath(FileOf(w));
    QSet<QByteArray> states{ReadBytes(path)};
    for (int k = 0; k < 4; ++k) {
        Write(w, dir.path(), k);
        states.insert(ReadBytes(path));
    }
    return states;
}

bool Run(const QStringList& args) {
    QProcess p;
    p.start(args.first(), args.mid(1));
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A small tmpfs at a folder of its own, unmounted whatever the test's outcome.
class SmallDisk {
public:
    explicit SmallDisk(const QString& at) : m_at(at) {
        m_mounted = Run({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=256k"), QStringLiteral("tmpfs"), at});
    }
    ~SmallDisk() {
        if (m_mounted) Run({QStringLiteral("umount"), m_at});
    }
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() {
        return Run({QStringLiteral("mount"), QStringLiteral("-o"), QStringLiteral("remount,ro"), m_at});
    }

private:
    QString m_at;
    bool m_mounted = false;
};

// Fills the rest of the file system, so the next write finds no room.
void Fill(const QString& dir) {
    const QByteArray name = QFile::encodeName(QDir(dir).filePath(QStringLiteral("filler")));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const QByteArray block(4096, 'x');
    int i = 0;
    for (; i < 1024; ++i) {
        if (::write(fd, block.constData(), size_t(block.size())) < block.size()) break;
    }
    ::close(fd);
    QVERIFY2(i < 1024, "the small disk did not fill up");
}

void ExpectFailedWrite(Writer w, const QString& dir, const QByteArray& before) {
    const QString path = QDir(dir).filePath(FileOf(w));
    try {
        Write(w, dir, 0);
        QFAIL(qPrintable(QStringLiteral("the write was reported as done: %1 bytes now, %2 before, files %3")
                             .arg(ReadBytes(path).size()).arg(before.size())
                             .arg(QDir(dir).entryList(QDir::Files).join(u' '))));
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), before);
    // No half-written temporary file is left beside it.
    for (const QString& name : QDir(dir).entryList(QDir::Files))
        QVERIFY2(!name.startsWith(FileOf(w) + u'.'), qPrintable(name));
}
} // namespace

Q_DECLARE_METATYPE(Writer)

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fullDisk_keepsOldFileAndNamesIt_data() { writers(); }
    void fullDisk_keepsOldFileAndNamesIt();
    void readOnlyFolder_keepsOldFileAndNamesIt_data() { writers(); }
    void readOnlyFolder_keepsOldFileAndNamesIt();
    void killedWriter_leavesOldOrNewFileWhole_data() { writers(); }
    void killedWriter_leavesOldOrNewFileWhole();

private:
    void writers() {
        QTest::addColumn<Writer>("writer");
        QTest::newRow("settings file by an activation") << Writer::Activation;
        QTest::newRow("settings file by a placement key") << Writer::PlacementKey;
        QTest::newRow("module list") << Writer::ModuleList;
    }
};

void TestFaults::initTestCase() {
    if (geteuid() != 0) QSKIP("mounting the small file systems needs root");
}

void TestFaults::fullDisk_keepsOldFileAndNamesIt() {
    QFETCH(Writer, writer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SmallDisk disk(dir.path());
    QVERIFY(disk.mounted());
    Prepare(writer, dir.path());
    const QByteArray before = ReadBytes(dir.filePath(FileOf(writer)));
    Fill(dir.path());
    ExpectFailedWrite(writer, dir.path(), before);
}

void TestFaults::readOnlyFolder_keepsOldFileAndNamesIt() {
    QFETCH(Writer, writer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SmallDisk disk(dir.path());
    QVERIFY(disk.mounted());
    Prepare(writer, dir.path());
    const QByteArray before = ReadBytes(dir.filePath(FileOf(writer)));
    QVERIFY(disk.makeReadOnly());
    ExpectFailedWrite(writer, dir.path(), before);
}

void TestFaults::killedWriter_leavesOldOrNewFileWhole() {
    QFETCH(Writer, writer);
    const QSet<QByteArray> states = States(writer);
    QVERIFY(states.size() >= 3);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(FileOf(writer));
    Prepare(writer, dir.path());
    int interrupted = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // The writer: writes until it is killed, bounded all the same.
            for (int k = 0; k < 100000; ++k)
                Write(writer, dir.path(), k);
            _exit(0);
        }
        usleep(useconds_t(QRandomGenerator::global()->bounded(1000, 30000)));
        kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) ++interrupted;
        const QByteArray now = ReadBytes(path);
        QVERIFY(!now.isEmpty());
        QVERIFY2(states.contains(now), qPrintable(QStringLiteral("round %1: a mixture of %2 bytes").arg(round).arg(now.size())));
    }
    QVERIFY(interrupted > 0);
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
