// The FTP client against a real FTP server on 127.0.0.1.

#include "updatetesthelpers.h"

#include "update/curllib.h"
#include "update/idftp.h"
#include "util/error.h"

#include <QTimer>
#include <QtTest>

using namespace updatetest;

class TestIdFtp : public QObject {
    Q_OBJECT

private slots:
    // First: it looks at what the process has mapped before any FTP connection.
    void library_loadedByTheFirstConnectionOnly();
    void loader_namesMissingFileOrFunction_data();
    void loader_namesMissingFileOrFunction();
    void connect_keepsCallerResponsiveWhileWaiting();
    void session_usesOneControlConnectionAndOneCwd();
    void get_binaryIsByteForByteTextUsesTypeA();
    void get_refusesExistingLocalFile();
    void get_missingRemoteFileLeavesNothing();
    void changeDir_refusedThrows();
};

namespace {
void Configure(kovalt::IdFtp& ftp, quint16 port) {
    ftp.Host = QStringLiteral("127.0.0.1");
    ftp.Port = port;
    ftp.Username = QStringLiteral("kovalt");
    ftp.Password = QStringLiteral("heslo");
}
bool CurlMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libcurl");
}
} // namespace

// A bar that never checks for updates starts without libcurl and the libraries behind it.
void TestIdFtp::library_loadedByTheFirstConnectionOnly() {
#if !defined(Q_OS_LINUX)
    QSKIP("libcurl is loaded at run time on Linux only");
#endif
    QVERIFY(!CurlMapped());
    UpdateSite site;
    QVERIFY(site.prepare());
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    QVERIFY(!CurlMapped());
    ftp.Connect();
    QVERIFY(CurlMapped());
    QVERIFY(ftp.Connected());
    ftp.Disconnect();
}

void TestIdFtp::loader_namesMissingFileOrFunction_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("named");
    QTest::newRow("no such library") << QStringLiteral("libkovalt-no-such-curl.so.4")
                                     << QStringLiteral("libkovalt-no-such-curl.so.4");
    QTest::newRow("not libcurl") << QStringLiteral("libz.so.1") << QStringLiteral("curl_global_init");
}

void TestIdFtp::loader_namesMissingFileOrFunction() {
#if !defined(Q_OS_LINUX)
    QSKIP("libcurl is linked outside Linux");
#endif
    QFETCH(QString, file);
    QFETCH(QString, named);
    kovalt::CurlLib lib;
    QString error;
    QVERIFY(!kovalt::LoadCurlLib(file.toLocal8Bit().constData(), lib, error));
    QVERIFY2(error.contains(named), qPrintable(error));
    QVERIFY(!lib.easy_init);
}

void TestIdFtp::connect_keepsCallerResponsiveWhileWaiting() {
    UpdateSite site;
    QVERIFY(site.prepare());
    FtpFixture server(site.server.path(), site.serverLog(), {QStringLiteral("--delay-login"), QStringLiteral("1.0")});
    QVERIFY2(server.ok(), qPrintable(server.error()));

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QElapsedTimer clock;
    clock.start();
    ftp.Connect();
    QVERIFY(clock.elapsed() >= 900);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QVERIFY(ftp.Connected());
    ftp.Disconnect();
    QVERIFY(!ftp.Connected());
}

void TestIdFtp::session_usesOneControlConnectionAndOneCwd() {
    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publish(QStringLiteral("a.bin"), AwkwardBytes(300000)));
    QVERIFY(site.publish(QStringLiteral("b.txt"), "line 1\r\nline 2\r\n"));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    bool offThread = false;
    int work = 0;
    ftp.OnWork = [&](kovalt::WorkMode, qint64) {
        ++work;
        offThread = offThread || QThread::currentThread() != thread();
    };
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("trenix/kovalt05"));
    ftp.Get(QStringLiteral("b.txt"), site.at(QStringLiteral("b.txt")), false);
    ftp.Get(QStringLiteral("a.bin"), site.at(QStringLiteral("a.bin")), true);
    ftp.Get(QStringLiteral("b.txt"), site.at(QStringLiteral("b2.txt")), false);
    ftp.Disconnect();

    QTRY_COMPARE_WITH_TIMEOUT(server.commands(QStringLiteral("QUIT")).size(), 1, 5000);
    QCOMPARE(server.commands(QStringLiteral("CONNECT")).size(), 1);
    QCOMPARE(server.commands(QStringLiteral("USER")).size(), 1);
    QCOMPARE(server.commands(QStringLiteral("CWD")), QStringList{QStringLiteral("CWD trenix/kovalt05")});
    QCOMPARE(server.commands(QStringLiteral("RETR")),
             (QStringList{QStringLiteral("RETR b.txt"), QStringLiteral("RETR a.bin"), QStringLiteral("RETR b.txt")}));
    QVERIFY(work > 0);
    QVERIFY(!offThread);
}

void TestIdFtp::get_binaryIsByteForByteTextUsesTypeA() {
    UpdateSite site;
    QVERIFY(site.prepare());
    const QByteArray bytes = AwkwardBytes(250000);
    QVERIFY(site.publish(QStringLiteral("x.bin"), bytes));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("trenix/kovalt05"));
    ftp.Get(QStringLiteral("x.bin"), site.at(QStringLiteral("binary")), true);
    ftp.Get(QStringLiteral("x.bin"), site.at(QStringLiteral("text")), false);
    ftp.Disconnect();

    QCOMPARE(ReadAll(site.at(QStringLiteral("binary"))), bytes);
    // This server turns lone LFs into CR LF under TYPE A: the reason the installer goes as binary.
    QVERIFY(ReadAll(site.at(QStringLiteral("text"))) != bytes);
    const QStringList log = server.log();
    const qsizetype first = log.indexOf(QStringLiteral("RETR x.bin"));
    const qsizetype second = log.lastIndexOf(QStringLiteral("RETR x.bin"));
    QVERIFY(first > 0 && second > first);
    QCOMPARE(log.mid(0, first).filter(QStringLiteral("TYPE ")).last(), QStringLiteral("TYPE I"));
    QCOMPARE(log.mid(0, first).filter(QStringLiteral("SIZE ")).last(), QStringLiteral("SIZE x.bin"));
    QCOMPARE(log.mid(first, second - first).filter(QStringLiteral("TYPE ")).last(), QStringLiteral("TYPE A"));
}

void TestIdFtp::get_refusesExistingLocalFile() {
    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publish(QStringLiteral("x.txt"), "new\r\n"));
    QVERIFY(WriteAll(site.at(QStringLiteral("x.txt")), "old"));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("trenix/kovalt05"));
    QVERIFY_THROWS_EXCEPTION(kovalt::Error, ftp.Get(QStringLiteral("x.txt"), site.at(QStringLiteral("x.txt")), false));
    ftp.Disconnect();
    QCOMPARE(ReadAll(site.at(QStringLiteral("x.txt"))), QByteArray("old"));
    QCOMPARE(server.commands(QStringLiteral("RETR")), QStringList());
}

void TestIdFtp::get_missingRemoteFileLeavesNothing() {
    UpdateSite site;
    QVERIFY(site.prepare());
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    const QStringList before = site.files();

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("trenix/kovalt05"));
    QVERIFY_THROWS_EXCEPTION(kovalt::Error,
                             ftp.Get(QStringLiteral("none.bin"), site.at(QStringLiteral("none.bin")), true));
    QVERIFY_THROWS_EXCEPTION(kovalt::Error,
                             ftp.Get(QStringLiteral("none.txt"), site.at(QStringLiteral("none.txt")), false));
    QCOMPARE(site.files(), before);
    ftp.Disconnect();
}

void TestIdFtp::changeDir_refusedThrows() {
    UpdateSite site;
    QVERIFY(site.prepare());
    FtpFixture server(site.server.path(), site.serverLog(), {QStringLiteral("--refuse-cwd")});
    QVERIFY2(server.ok(), qPrintable(server.error()));

    kovalt::IdFtp ftp;
    Configure(ftp, server.port());
    ftp.Connect();
    QVERIFY_THROWS_EXCEPTION(kovalt::Error, ftp.ChangeDir(QStringLiteral("trenix/kovalt05")));
    QVERIFY_THROWS_EXCEPTION(kovalt::Error, ftp.ChangeDir(QStringLiteral("a\r\nDELE x")));
    ftp.Disconnect();
    QCOMPARE(server.commands(QStringLiteral("CWD")), QStringList{QStringLiteral("CWD trenix/kovalt05")});
    QCOMPARE(server.commands(QStringLiteral("DELE")), QStringList());
}

QTEST_GUILESS_MAIN(TestIdFtp)
#include "tst_idftp.moc"
