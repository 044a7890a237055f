#include "util/datetime.h"
#include "util/error.h"
#include "util/fileutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/time.h>
#include <unistd.h>
#endif

using namespace kovalt;

namespace {
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot prepare %s", qPrintable(path));
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The User bits tell what this process may do, not the file's mode.
const QFileDevice::Permissions kModeBits =
    ~QFileDevice::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);

void SetMTime(const QString& path, const QDateTime& when) {
#ifndef Q_OS_WIN
    if (QFileInfo(path).isDir()) {
        const qint64 ms = when.toMSecsSinceEpoch();
        const timeval times[2] = {{time_t(ms / 1000), suseconds_t(ms % 1000 * 1000)},
                                  {time_t(ms / 1000), suseconds_t(ms % 1000 * 1000)}};
        if (utimes(QFile::encodeName(path).constData(), times) != 0)
            qFatal("cannot set the time of %s", qPrintable(path));
        return;
    }
#endif
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(when, QFileDevice::FileModificationTime))
        qFatal("cannot set the time of %s", qPrintable(path));
}

// A small tmpfs mounted for one test and unmounted when the test ends, however it ends.
class TmpfsMount {
public:
    explicit TmpfsMount(const QString& dir) : m_dir(dir) {}
    ~TmpfsMount() {
        if (m_mounted && !Run({QStringLiteral("umount"), m_dir}))
            Run({QStringLiteral("umount"), QStringLiteral("-l"), m_dir});
    }
    bool mount(const QString& size) {
        m_mounted = Run({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=") + size, QStringLiteral("tmpfs"), m_dir});
        return m_mounted;
    }
    bool remountReadOnly() {
        return Run({QStringLiteral("mount"), QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir});
    }
    QString lastError() const { return m_error; }

private:
    bool Run(QStringList args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(args.takeFirst(), args);
        if (!p.waitForStarted(10000)) {
            m_error = p.errorString();
            return false;
        }
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished(5000);
            m_error = QStringLiteral("timed out");
            return false;
        }
        m_error = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    QString m_dir;
    bool m_mounted = false;
    QString m_error;
};

#define MOUNT_OR_SKIP(mnt, size)                                                                                       \
    do {                                                                                                               \
        if (!(mnt).mount(size)) {                                                                                      \
            if (geteuid() != 0) QSKIP("mounting a tmpfs needs root");                                                  \
            QFAIL(qPrintable(QStringLiteral("mount failed: ") + (mnt).lastError()));                                   \
        }                                                                                                              \
    } while (false)

// Fills what is left of the file system at mnt with a file "filler"; its last write stops short.
void FillDisk(const QString& mnt) {
    QFile filler(mnt + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly)) return;
    const QByteArray block(65536, 'f');
    for (int i = 0; i < 16 && filler.write(block) == block.size() && filler.flush(); ++i) {
    }
}

} // namespace

class TestFileUtil : public QObject {
    Q_OBJECT
private slots:
    void dateTime_data();
    void dateTime();
    void fromDateTime_fractionRoundingToNextDay();
    void programDir_isTheProgramsFolderUnlessOverridden();
    void fileSizeOf_data();
    void fileSizeOf();
    void fileDateTimeOf_data();
    void fileDateTimeOf();
    void copyFileWithDate_copiesBytesAndEvenSecondTime();
    void copyFileWithDate_emptiesLongerDestination();
    void copyFileWithDate_missingSourceCreatesNothing();
    void copyFileWithDate_unwritableDestinationGivesFalse();
    void copyFileWithDate_fullDiskKeepsOldBackup();
    void copyFileWithDate_readOnlyDestinationStays();
    void writeFileAtomic_createsAndReplaces();
    void writeFileAtomic_readOnlyFileKeepsContent();
    void writeFileAtomic_readOnlyFolderKeepsOldFile();
    void writeFileAtomic_fullDiskKeepsOldFile();
};

void TestFileUtil::dateTime_data() {
    QTest::addColumn<QDateTime>("local");
    QTest::addColumn<double>("value");
    QTest::newRow("the epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("noon of 1 January 2000") << QDateTime(QDate(2000, 1, 1), QTime(12, 0)) << 36526.5;
    QTest::newRow("before the epoch the fraction counts forward")
        << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("1 January 1900") << QDateTime(QDate(1900, 1, 1), QTime(18, 0)) << 2.75;
}

void TestFileUtil::dateTime() {
    QFETCH(QDateTime, local);
    QFETCH(double, value);
    QCOMPARE(ToDateTime(local), value);
    QCOMPARE(FromDateTime(value), local);
}

void TestFileUtil::fromDateTime_fractionRoundingToNextDay() {
    QCOMPARE(FromDateTime(36526.9999999999), QDateTime(QDate(2000, 1, 2), QTime(0, 0)));
    QCOMPARE(FromDateTime(-1.9999999999), QDateTime(QDate(1899, 12, 28), QTime(0, 0)));
}

void TestFileUtil::programDir_isTheProgramsFolderUnlessOverridden() {
    const QString real = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
    QCOMPARE(ProgramDir(), real);
    SetProgramDirOverride(QStringLiteral("/tmp/x"));
    QCOMPARE(ProgramDir(), QStringLiteral("/tmp/x") + QDir::separator());
    SetProgramDirOverride(QStringLiteral("/tmp/y/"));
    QCOMPARE(ProgramDir(), QStringLiteral("/tmp/y/"));
    SetProgramDirOverride(QString());
    QCOMPARE(ProgramDir(), real);
}

void TestFileUtil::fileSizeOf_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::newRow("a file") << "b.ver" << 5;
    QTest::newRow("missing") << "none.ver" << 0;
    QTest::newRow("wildcard, first match by name") << "*.ver" << 3;
    QTest::newRow("wildcard ignores letter case") << "B*.VER" << 5;
    QTest::newRow("wildcard with ?") << "?.ver" << 3;
    QTest::newRow("wildcard without match") << "*.exe" << 0;
    QTest::newRow("directory gives 0") << "sub" << 0;
    QTest::newRow("empty file") << "empty.txt" << 0;
}

void TestFileUtil::fileSizeOf() {
    QFETCH(QString, name);
    QFETCH(int, size);
    QTemporaryDir dir;
    WriteBytes(dir.filePath("a.ver"), "abc");
    WriteBytes(dir.filePath("b.ver"), "12345");
    WriteBytes(dir.filePath("empty.txt"), "");
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    QCOMPARE(FileSizeOf(dir.filePath(name)), size);
}

void TestFileUtil::fileDateTimeOf_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("value");
    // a.ver: 2000-01-01 12:00:01.700, b.ver: 2000-01-02 00:00:03, sub: 2000-01-03 06:00:00
    QTest::newRow("odd second is cut to the even one below") << "a.ver" << 36526.5;
    QTest::newRow("second file") << "b.ver" << 36527.0 + 2.0 / 86400;
    QTest::newRow("wildcard, first match by name") << "*.ver" << 36526.5;
    QTest::newRow("directory has its time") << "sub" << 36528.25;
    QTest::newRow("missing gives 0") << "none.ver" << 0.0;
    QTest::newRow("wildcard without match gives 0") << "*.exe" << 0.0;
}

void TestFileUtil::fileDateTimeOf() {
    QFETCH(QString, name);
    QFETCH(double, value);
    QTemporaryDir dir;
    WriteBytes(dir.filePath("a.ver"), "abc");
    WriteBytes(dir.filePath("b.ver"), "12345");
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    SetMTime(dir.filePath("a.ver"), QDateTime(QDate(2000, 1, 1), QTime(12, 0, 1, 700)));
    SetMTime(dir.filePath("b.ver"), QDateTime(QDate(2000, 1, 2), QTime(0, 0, 3)));
    SetMTime(dir.filePath("sub"), QDateTime(QDate(2000, 1, 3), QTime(6, 0)));
    QCOMPARE(FileDateTimeOf(dir.filePath(name)), value);
}

void TestFileUtil::copyFileWithDate_copiesBytesAndEvenSecondTime() {
    QTemporaryDir dir;
    // Two full blocks and a part block.
    QByteArray data(2 * 16384 + 1000, Qt::Uninitialized);
    for (char& c : data)
        c = char(QRandomGenerator::global()->bounded(256));
    const QString source = dir.filePath("moduly.ini");
    const QString copy = dir.filePath("moduly.ori");
    WriteBytes(source, data);
    SetMTime(source, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9, 500)));
    QVERIFY(CopyFileWithDate(source, copy));
    QCOMPARE(ReadBytes(copy), data);
    QCOMPARE(QFileInfo(copy).lastModified(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 8)));
    QCOMPARE(ReadBytes(source), data);
}

void TestFileUtil::copyFileWithDate_emptiesLongerDestination() {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("src"), "short");
    WriteBytes(dir.filePath("dst"), QByteArray(40000, 'x'));
    QVERIFY(CopyFileWithDate(dir.filePath("src"), dir.filePath("dst")));
    QCOMPARE(ReadBytes(dir.filePath("dst")), QByteArray("short"));
}

void TestFileUtil::copyFileWithDate_missingSourceCreatesNothing() {
    QTemporaryDir dir;
    QVERIFY(!CopyFileWithDate(dir.filePath("none"), dir.filePath("dst")));
    QVERIFY(!QFileInfo::exists(dir.filePath("dst")));
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(!CopyFileWithDate(dir.filePath("folder"), dir.filePath("dst")));
    QVERIFY(!QFileInfo::exists(dir.filePath("dst")));
}

void TestFileUtil::copyFileWithDate_unwritableDestinationGivesFalse() {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("src"), "abc");
    QVERIFY(!CopyFileWithDate(dir.filePath("src"), dir.filePath("no/such/folder/dst")));
}

void TestFileUtil::writeFileAtomic_createsAndReplaces() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kovalt05.ini");
    WriteFileAtomic(path, "first");
    QCOMPARE(ReadBytes(path), QByteArray("first"));
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    QVERIFY(QFile::setPermissions(path, ownerOnly));
    WriteFileAtomic(path, "second, longer");
    QCOMPARE(ReadBytes(path), QByteArray("second, longer"));
    // A file kept from others' eyes stays so.
    QCOMPARE(QFile::permissions(path) & kModeBits, ownerOnly);
    WriteFileAtomic(path, "");
    QCOMPARE(ReadBytes(path), QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kovalt05.ini"});
}

void TestFileUtil::writeFileAtomic_readOnlyFileKeepsContent() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kovalt05.ini");
    WriteBytes(path, "old");
    const auto readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path, readOnly));
    try {
        WriteFileAtomic(path, "new");
        QFAIL("a read-only file was written");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), QByteArray("old"));
    QCOMPARE(QFile::permissions(path) & kModeBits, readOnly & kModeBits);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kovalt05.ini"});
}

void TestFileUtil::writeFileAtomic_readOnlyFolderKeepsOldFile() {
#ifdef Q_OS_WIN
    QSKIP("mounts a tmpfs");
#else
    QTemporaryDir dir;
    const QString mnt = dir.filePath("mnt");
    QVERIFY(QDir(dir.path()).mkdir("mnt"));
    TmpfsMount mount(mnt);
    MOUNT_OR_SKIP(mount, QStringLiteral("1m"));
    const QString path = mnt + QStringLiteral("/kovalt05.ini");
    WriteBytes(path, "[LogON]\r\nIP=1\r\n");
    QVERIFY2(mount.remountReadOnly(), qPrintable(mount.lastError()));
    try {
        WriteFileAtomic(path, "[LogON]\r\nIP=2\r\n");
        QFAIL("a file on a read-only file system was written");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), QByteArray("[LogON]\r\nIP=1\r\n"));
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden), QStringList{"kovalt05.ini"});
#endif
}

void TestFileUtil::writeFileAtomic_fullDiskKeepsOldFile() {
#ifdef Q_OS_WIN
    QSKIP("mounts a tmpfs");
#else
    QTemporaryDir dir;
    const QString mnt = dir.filePath("mnt");
    QVERIFY(QDir(dir.path()).mkdir("mnt"));
    TmpfsMount mount(mnt);
    MOUNT_OR_SKIP(mount, QStringLiteral("256k"));
    const QString path = mnt + QStringLiteral("/moduly.ini");
    const QByteArray old = QByteArray("[Moduly]\r\n") + QByteArray(20000, 'm');
    WriteBytes(path, old);
    FillDisk(mnt);
    try {
        WriteFileAtomic(path, QByteArray(100000, 'n'));
        QFAIL("a write to a full disk was reported as done");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), old);
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "moduly.ini"}));
#endif
}

void TestFileUtil::copyFileWithDate_fullDiskKeepsOldBackup() {
#ifdef Q_OS_WIN
    QSKIP("mounts a tmpfs");
#else
    QTemporaryDir dir;
    const QString mnt = dir.filePath("mnt");
    QVERIFY(QDir(dir.path()).mkdir("mnt"));
    TmpfsMount mount(mnt);
    MOUNT_OR_SKIP(mount, QStringLiteral("256k"));
    const QString source = dir.filePath("moduly.ini");
    const QString backup = mnt + QStringLiteral("/moduly.old");
    const QByteArray old = QByteArray("[Moduly]\r\n") + QByteArray(20000, 'o');
    WriteBytes(backup, old);
    WriteBytes(source, QByteArray(200000, 'n'));
    FillDisk(mnt);
    QVERIFY(!CopyFileWithDate(source, backup));
    QCOMPARE(ReadBytes(backup), old);
    // A first backup that cannot be written is not left behind empty.
    QVERIFY(!CopyFileWithDate(source, mnt + QStringLiteral("/moduly.ori")));
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden), (QStringList{"filler", "moduly.old"}));
#endif
}

void TestFileUtil::copyFileWithDate_readOnlyDestinationStays() {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("src"), "new");
    WriteBytes(dir.filePath("dst"), "old");
    QVERIFY(QFile::setPermissions(dir.filePath("dst"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(!CopyFileWithDate(dir.filePath("src"), dir.filePath("dst")));
    QCOMPARE(ReadBytes(dir.filePath("dst")), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
