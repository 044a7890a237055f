// The update check against a real FTP server on 127.0.0.1.

#include "updatetesthelpers.h"

#include "update/idftp.h"
#include "update/updatecheck.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

using namespace updatetest;

namespace {
using IniKeys = QMap<QString, QString>;
const QString kVer = QStringLiteral("setupkovalt05.ver");
const QString kExe = QStringLiteral("setupkovalt05.exe");
const QString kLocal = QStringLiteral("2026-03-14 09:26:52");

QStringList EndN() {
    return {QStringLiteral("progress shown"), QStringLiteral("progress hidden"), QStringLiteral("progress hidden"),
            QStringLiteral("ready")};
}
QStringList EndE() {
    return {QStringLiteral("progress shown"), QStringLiteral("progress hidden"),
            QStringLiteral("message Kovalt05: ") + kErrorText, QStringLiteral("progress hidden"),
            QStringLiteral("ready")};
}
QStringList EndA(const QString& programDir) {
    return {QStringLiteral("progress shown"), QStringLiteral("progress hidden"),
            QStringLiteral("message Kovalt05: ") + kHandOffText,
            QStringLiteral("start setupkovalt05.exe /DIR=\"%1\"").arg(programDir), QStringLiteral("terminate")};
}
QByteArray Report(const QString& remote) {
    return ("Verze programu: " + kLocal + "\r\nVerze internet: " + remote + "\r\n").toUtf8();
}
} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void developerMarker_makesNoConnectionAndWritesNothing();
    void failure_showsErrorOnceThenReady_data();
    void failure_showsErrorOnceThenReady();
    void versionFile_decidesOutcomeAndReport_data();
    void versionFile_decidesOutcomeAndReport();
    void handOff_downloadsLogsStartsInstallerAndEnds_data();
    void handOff_downloadsLogsStartsInstallerAndEnds();
    void dataConnection_followsFTPpassive_data();
    void dataConnection_followsFTPpassive();
    void staleLocalFiles_deletedBeforeDownloads();
    void versionTransferDroppedHalfway_leavesNoFile();
    void installerTransferFault_givesErrorAndStartsNothing_data();
    void installerTransferFault_givesErrorAndStartsNothing();
    void progressPosition_runsOneToHundredAndRound();
};

void TestUpdateCheck::developerMarker_makesNoConnectionAndWritesNothing() {
    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(QStringLiteral("newer.ver")));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));
    QVERIFY(WriteAll(site.at(QStringLiteral("unit3.cpp")), "// unit3\n"));
    const QStringList before = site.files();

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("N"));

    QCOMPARE(host.events, (QStringList{QStringLiteral("progress hidden"), QStringLiteral("ready")}));
    QCOMPARE(site.files(), before);
    QTest::qWait(100);
    QCOMPARE(server.commands(QStringLiteral("CONNECT")), QStringList());
}

void TestUpdateCheck::failure_showsErrorOnceThenReady_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("versionData");
    QTest::addColumn<IniKeys>("ini");
    QTest::addColumn<bool>("closedPort");
    QTest::addColumn<bool>("reachesServer");

    const QMap<QString, QString> plain;
    QTest::newRow("unreachable host") << QStringList() << "newer.ver" << plain << true << false;
    QTest::newRow("rejected login") << QStringList() << "newer.ver"
                                    << QMap<QString, QString>{{QStringLiteral("FTPpassword"), QStringLiteral("spatne")}}
                                    << false << true;
    QTest::newRow("non-numeric FTPport") << QStringList() << "newer.ver"
                                         << QMap<QString, QString>{{QStringLiteral("FTPport"), QStringLiteral("21x")}}
                                         << false << false;
    QTest::newRow("empty FTPport") << QStringList() << "newer.ver"
                                   << QMap<QString, QString>{{QStringLiteral("FTPport"), QString("")}} << false
                                   << false;
    QTest::newRow("refused CWD") << QStringList{QStringLiteral("--refuse-cwd")} << "newer.ver" << plain << false
                                 << true;
    QTest::newRow("version file of one line") << QStringList() << "one-line.ver" << plain << false << true;
}

void TestUpdateCheck::failure_showsErrorOnceThenReady() {
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, versionData);
    QFETCH(IniKeys, ini);
    QFETCH(bool, closedPort);
    QFETCH(bool, reachesServer);

    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(versionData));
    QVERIFY(site.publish(kExe, AwkwardBytes(5000)));
    const QByteArray oldReport = "Verze programu: old\r\nVerze internet: old\r\n";
    QVERIFY(WriteAll(site.at(QStringLiteral("verze.log")), oldReport));

    quint16 deadPort = 0;
    if (closedPort) {
        FtpFixture gone(site.server.path(), site.server.path() + QStringLiteral("/gone.log"));
        QVERIFY2(gone.ok(), qPrintable(gone.error()));
        deadPort = gone.port();
    }
    FtpFixture server(site.server.path(), site.serverLog(), serverArgs);
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(closedPort ? deadPort : server.port(), ini));

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("E"));

    QCOMPARE(host.events, EndE());
    QCOMPARE(ReadAll(site.at(QStringLiteral("verze.log"))), oldReport);
    QVERIFY(!QFile::exists(site.at(kExe)));
    QVERIFY(!ftp.Connected());
    QCOMPARE(!server.commands(QStringLiteral("CONNECT")).isEmpty(), reachesServer);
    if (QTest::currentDataTag() == QByteArray("rejected login"))
        QCOMPARE(server.commands(QStringLiteral("CWD")), QStringList());
    if (QTest::currentDataTag() == QByteArray("refused CWD"))
        QCOMPARE(server.commands(QStringLiteral("CWD")), QStringList{QStringLiteral("CWD trenix/kovalt05")});
}

void TestUpdateCheck::versionFile_decidesOutcomeAndReport_data() {
    QTest::addColumn<QString>("versionData");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("equal to the local version") << "equal.ver" << QStringList() << "N" << Report(kLocal);
    QTest::newRow("two seconds later") << "newer.ver" << QStringList() << "A" << Report("2026-03-14 09:26:54");
    QTest::newRow("longer than 19 characters")
        << "newer-long.ver" << QStringList() << "A" << Report("2026-03-14 09:26:54");
    QTest::newRow("LF line ends") << "newer-lf.ver" << QStringList{QStringLiteral("--ascii-verbatim")} << "A"
                                  << Report("2026-03-14 09:26:54");
    QTest::newRow("TABs on the first line") << "tabs-first.ver" << QStringList() << "N" << Report(kLocal);
    QTest::newRow("fewer than three fields") << "two-fields.ver" << QStringList() << "N" << Report("");
    QTest::newRow("UTF-8 version file") << "newer-utf8.ver" << QStringList() << "A"
                                        << "\xEF\xBB\xBF" + Report("2026-03-14 09:26:54");
    QTest::newRow("empty version file") << "empty.ver" << QStringList() << "N" << QByteArray();
    QTest::newRow("no version file") << QString() << QStringList() << "N" << QByteArray();
}

void TestUpdateCheck::versionFile_decidesOutcomeAndReport() {
    QFETCH(QString, versionData);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, outcome);
    QFETCH(QByteArray, report);

    UpdateSite site;
    QVERIFY(site.prepare());
    if (!versionData.isEmpty()) QVERIFY(site.publishData(versionData));
    const QByteArray installer = AwkwardBytes(200000);
    QVERIFY(site.publish(kExe, installer));
    FtpFixture server(site.server.path(), site.serverLog(), serverArgs);
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), outcome);

    QCOMPARE(host.events, outcome == QStringLiteral("A") ? EndA(site.programDir()) : EndN());
    QCOMPARE(ReadAll(site.at(QStringLiteral("verze.log"))), report);
    QCOMPARE(QFile::exists(site.at(QStringLiteral("verze.log"))), !report.isEmpty());
    QCOMPARE(QFile::exists(site.at(kExe)), outcome == QStringLiteral("A"));
    if (outcome == QStringLiteral("A")) QCOMPARE(ReadAll(site.at(kExe)), installer);
    QCOMPARE(server.commands(QStringLiteral("RETR")).contains(QStringLiteral("RETR setupkovalt05.exe")),
             outcome == QStringLiteral("A"));
    QVERIFY(!ftp.Connected());
}

void TestUpdateCheck::handOff_downloadsLogsStartsInstallerAndEnds_data() {
    QTest::addColumn<QString>("existingLog");
    QTest::addColumn<bool>("folderExists");

    QTest::newRow("updlog missing") << QString() << false;
    QTest::newRow("updlog empty") << QString() << true;
    QTest::newRow("ANSI log keeps its lines") << "log-ansi.log" << true;
    QTest::newRow("UTF-8 log keeps its lines and encoding") << "log-utf8.log" << true;
}

void TestUpdateCheck::handOff_downloadsLogsStartsInstallerAndEnds() {
    QFETCH(QString, existingLog);
    QFETCH(bool, folderExists);

    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(QStringLiteral("newer.ver")));
    // A real program with the bytes an ASCII transfer would spoil behind it.
    const QByteArray installer = ReadAll(qEnvironmentVariable("KOVALT_ARGDUMP")) + AwkwardBytes(70000);
    QVERIFY(installer.size() > 70000);
    QVERIFY(site.publish(kExe, installer));
    const QString logPath = site.at(QStringLiteral("updlog/kovalt05.log"));
    if (folderExists) QVERIFY(QDir().mkpath(site.at(QStringLiteral("updlog"))));
    if (!existingLog.isEmpty()) QVERIFY(WriteAll(logPath, ReadAll(DataFile(existingLog))));
    const kovalt::TextFile before = kovalt::ReadTextFileOrEmpty(logPath);

    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));
    const QString dump = site.server.path() + QStringLiteral("/argdump.out");
    qputenv("ARGDUMP_OUT", dump.toUtf8());

    // The installer is looked for beside the running program, as the bar's own start finds it.
    kovalt::SetProgramDirOverride(site.programDir());
    auto restore = qScopeGuard([] {
        kovalt::SetProgramDirOverride(QString());
        qunsetenv("ARGDUMP_OUT");
    });
    TestHost host;
    host.dir = site.programDir();
    host.realStart = true;
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("A"));

    QCOMPARE(host.events, EndA(site.programDir()));
    QCOMPARE(ReadAll(site.at(kExe)), installer);
    QCOMPARE(ReadAll(site.at(QStringLiteral("verze.log"))), Report("2026-03-14 09:26:54"));

    const kovalt::TextFile after = kovalt::ReadTextFile(logPath);
    QCOMPARE(after.encoding, before.encoding);
    QCOMPARE(after.lines.size(), before.lines.size() + 1);
    QCOMPARE(after.lines.mid(0, before.lines.size()), before.lines);
    static const QRegularExpression line(QStringLiteral("^11\\.12\\.2026 0?9:05:07 - NOVÁ VERZE programu$"));
    QVERIFY2(line.match(after.lines.last()).hasMatch(), qPrintable(after.lines.last()));
    QVERIFY(ReadAll(logPath).endsWith("programu\r\n"));

    // One control connection: login, one CWD, the version file as text, the installer as binary.
    QTRY_VERIFY_WITH_TIMEOUT(server.commands(QStringLiteral("QUIT")).size() == 1, 5000);
    QCOMPARE(server.commands(QStringLiteral("CONNECT")).size(), 1);
    QCOMPARE(server.commands(QStringLiteral("CWD")), QStringList{QStringLiteral("CWD trenix/kovalt05")});
    const QStringList log = server.log();
    const qsizetype retrVer = log.indexOf(QStringLiteral("RETR setupkovalt05.ver"));
    const qsizetype retrExe = log.indexOf(QStringLiteral("RETR setupkovalt05.exe"));
    QVERIFY(retrVer > 0 && retrExe > retrVer);
    QCOMPARE(log.mid(0, retrVer).filter(QStringLiteral("TYPE ")).last(), QStringLiteral("TYPE A"));
    QCOMPARE(log.mid(retrVer, retrExe - retrVer).filter(QStringLiteral("TYPE ")).last(), QStringLiteral("TYPE I"));

    QVERIFY(host.workCalls > 0);
    QVERIFY(!host.workOffThread);
    QVERIFY(host.maxPosition <= 100);

    // The installer ran from the program directory with the program directory as its target.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);
    const QStringList dumped = QString::fromUtf8(ReadAll(dump)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(dumped.size(), 3);
    QCOMPARE(dumped[1], QFileInfo(site.at(kExe)).canonicalFilePath());
    QCOMPARE(dumped[2], QStringLiteral("/DIR=") + site.programDir());
}

void TestUpdateCheck::dataConnection_followsFTPpassive_data() {
    QTest::addColumn<QString>("passive");
    QTest::addColumn<bool>("active");

    QTest::newRow("0 gives active") << "0" << true;
    QTest::newRow("1 gives passive") << "1" << false;
    QTest::newRow("a word gives passive") << "False" << false;
    QTest::newRow("absent gives passive") << QString() << false;
}

void TestUpdateCheck::dataConnection_followsFTPpassive() {
    QFETCH(QString, passive);
    QFETCH(bool, active);

    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(QStringLiteral("equal.ver")));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port(), {{QStringLiteral("FTPpassive"), passive}}));

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("N"));
    QCOMPARE(ReadAll(site.at(QStringLiteral("verze.log"))), Report(kLocal));

    const int activeCommands =
        int(server.commands(QStringLiteral("PORT")).size() + server.commands(QStringLiteral("EPRT")).size());
    const int passiveCommands =
        int(server.commands(QStringLiteral("PASV")).size() + server.commands(QStringLiteral("EPSV")).size());
    QCOMPARE(activeCommands > 0, active);
    QCOMPARE(passiveCommands > 0, !active);
}

void TestUpdateCheck::staleLocalFiles_deletedBeforeDownloads() {
    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(QStringLiteral("newer.ver")));
    const QByteArray installer = AwkwardBytes(100000);
    QVERIFY(site.publish(kExe, installer));
    QVERIFY(WriteAll(site.at(kVer), "stale\r\nx\tx\t2099-01-01 00:00:00\r\n"));
    QVERIFY(WriteAll(site.at(kExe), "stale installer"));
    FtpFixture server(site.server.path(), site.serverLog());
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("A"));
    QCOMPARE(kovalt::ReadTextFile(site.at(kVer)).lines,
             kovalt::ReadTextFile(DataFile(QStringLiteral("newer.ver"))).lines);
    QCOMPARE(ReadAll(site.at(kExe)), installer);
    QCOMPARE(ReadAll(site.at(QStringLiteral("verze.log"))), Report("2026-03-14 09:26:54"));
}

void TestUpdateCheck::versionTransferDroppedHalfway_leavesNoFile() {
    UpdateSite site;
    QVERIFY(site.prepare());
    // Large enough that the cut falls well inside the data.
    QByteArray version = ReadAll(DataFile(QStringLiteral("newer.ver")));
    version += QByteArray(400000, 'x') + "\r\n";
    QVERIFY(site.publish(kVer, version));
    QVERIFY(site.publish(kExe, AwkwardBytes(1000)));
    QVERIFY(WriteAll(site.at(kVer), "stale\r\n"));
    FtpFixture server(site.server.path(), site.serverLog(), {QStringLiteral("--drop-retr"), kVer});
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));
    const QStringList before = site.files();

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("N"));

    QCOMPARE(host.events, EndN());
    QVERIFY(!QFile::exists(site.at(kVer)));
    QStringList expected = before;
    expected.removeOne(kVer);
    QCOMPARE(site.files(), expected);
    QCOMPARE(server.commands(QStringLiteral("RETR")), QStringList{QStringLiteral("RETR setupkovalt05.ver")});
}

void TestUpdateCheck::installerTransferFault_givesErrorAndStartsNothing_data() {
    QTest::addColumn<QStringList>("serverArgs");

    QTest::newRow("dropped half-way") << QStringList{QStringLiteral("--drop-retr"), kExe};
    QTest::newRow("one byte short") << QStringList{QStringLiteral("--truncate-retr"), kExe};
    QTest::newRow("SIZE answer larger") << QStringList{QStringLiteral("--size-delta"), QStringLiteral("1")};
    QTest::newRow("SIZE answer smaller") << QStringList{QStringLiteral("--size-delta"), QStringLiteral("-1")};
}

void TestUpdateCheck::installerTransferFault_givesErrorAndStartsNothing() {
    QFETCH(QStringList, serverArgs);

    UpdateSite site;
    QVERIFY(site.prepare());
    QVERIFY(site.publishData(QStringLiteral("newer.ver")));
    QVERIFY(site.publish(kExe, AwkwardBytes(600000)));
    FtpFixture server(site.server.path(), site.serverLog(), serverArgs);
    QVERIFY2(server.ok(), qPrintable(server.error()));
    QVERIFY(site.writeIni(server.port()));

    TestHost host;
    host.dir = site.programDir();
    kovalt::IdFtp ftp;
    host.Attach(ftp);
    QCOMPARE(kovalt::KontrolaNV(host, ftp), QStringLiteral("E"));

    QCOMPARE(host.events, EndE());
    QCOMPARE(site.files(), (QStringList{QStringLiteral("kovalt05.exe"), QStringLiteral("kovalt05.ini"), kVer,
                                        QStringLiteral("verze.log")}));
    QCOMPARE(server.commands(QStringLiteral("RETR")).last(), QStringLiteral("RETR setupkovalt05.exe"));
}

void TestUpdateCheck::progressPosition_runsOneToHundredAndRound() {
    TestHost host;
    QList<int> seen;
    for (int i = 0; i < 205; ++i) {
        kovalt::IdFTP1Work(host);
        seen.append(host.position);
    }
    QList<int> expected;
    for (int i = 0; i < 205; ++i)
        expected.append(i % 100 + 1);
    QCOMPARE(seen, expected);
    QCOMPARE(host.maxPosition, 100);
    QCOMPARE(host.messagePumps, 205);
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
