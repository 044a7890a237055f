// kovalt05-admin check-update against a real FTP server on 127.0.0.1.

#include "admin/adminrun.h"
#include "update/updatetesthelpers.h"

#include <QtTest>

using updatetest::UpdateSite;

class TestAdminUpdate : public QObject {
    Q_OBJECT

private slots:
    void checkUpdate_reportsOutcomeAndTouchesNothing_data() {
        QTest::addColumn<QString>("versionData");
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<QString>("serverPassword");
        QTest::addColumn<QStringList>("iniOverrides");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("reason");

        const QString pass = QStringLiteral("heslo");
        const QString later = QStringLiteral("2026-03-14 09:26:54");
        QTest::newRow("newer build: A, installer fetched")
            << "newer.ver" << QStringList{} << pass << QStringList{} << "A" << later << "installer downloaded";
        QTest::newRow("same build: N") << "equal.ver" << QStringList{} << pass << QStringList{} << "N"
                                       << "2026-03-14 09:26:52"
                                       << "not newer";
        QTest::newRow("no version file: N") << "" << QStringList{} << pass << QStringList{} << "N"
                                            << ""
                                            << "no version file";
        QTest::newRow("empty version file: N") << "empty.ver" << QStringList{} << pass << QStringList{} << "N"
                                               << ""
                                               << "version file is empty";
        QTest::newRow("login rejected: E") << "newer.ver" << QStringList{} << "jine" << QStringList{} << "E"
                                           << ""
                                           << "Cannot connect";
        QTest::newRow("directory refused: E")
            << "newer.ver" << QStringList{"--refuse-cwd"} << pass << QStringList{} << "E"
            << ""
            << "Cannot change to the FTP directory";
        QTest::newRow("version file of one line: E") << "one-line.ver" << QStringList{} << pass << QStringList{} << "E"
                                                     << ""
                                                     << "List index out of bounds (1)";
        QTest::newRow("port not a number: E")
            << "newer.ver" << QStringList{} << pass << QStringList{"FTPport=21x"} << "E"
            << ""
            << "'21x' is not a valid integer value";
        QTest::newRow("installer transfer dropped: E") << "newer.ver" << QStringList{"--drop-retr", "setupkovalt05.exe"}
                                                       << pass << QStringList{} << "E" << later << "";
        QTest::newRow("active data connections")
            << "newer.ver" << QStringList{} << pass << QStringList{"FTPpassive=0"} << "A" << later << "installer";
    }

    void checkUpdate_reportsOutcomeAndTouchesNothing() {
        QFETCH(QString, versionData);
        QFETCH(QStringList, serverArgs);
        QFETCH(QString, serverPassword);
        QFETCH(QStringList, iniOverrides);
        QFETCH(QString, outcome);
        QFETCH(QString, remote);
        QFETCH(QString, reason);

        UpdateSite site;
        QVERIFY(site.prepare());
        FtpFixture server(site.server.path(), site.serverLog(), serverArgs, QStringLiteral("kovalt"), serverPassword);
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QMap<QString, QString> overrides;
        for (const QString& entry : iniOverrides)
            overrides.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        QVERIFY(site.writeIni(server.port(), overrides));
        if (!versionData.isEmpty()) QVERIFY(site.publishData(versionData));
        // An installer that would leave its mark if anything started it.
        QVERIFY(site.publish(QStringLiteral("setupkovalt05.exe"), FileBytes(qEnvironmentVariable("KOVALT_ARGDUMP"))));
        // What an earlier run of the bar left behind must stay as it is.
        QVERIFY(updatetest::WriteAll(site.at(QStringLiteral("setupkovalt05.ver")), "stale\r\n"));
        QVERIFY(updatetest::WriteAll(site.at(QStringLiteral("setupkovalt05.exe")), "old installer"));
        QVERIFY(updatetest::WriteAll(site.at(QStringLiteral("verze.log")), "Verze programu: old\r\n"));
        const QMap<QString, QString> before = Snapshot(site.program.path());

        QTemporaryDir temp, marks;
        QVERIFY(temp.isValid() && marks.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        env.insert(QStringLiteral("ARGDUMP_OUT"), marks.filePath(QStringLiteral("started")));
        const AdminRun run =
            RunAdmin({QStringLiteral("--dir"), site.program.path(), QStringLiteral("check-update")}, env);

        QVERIFY2(run.finished, qPrintable(run.err));
        QCOMPARE(run.exitCode, outcome == QStringLiteral("E") ? 1 : 0);
        QCOMPARE(run.out.size(), 3);
        QCOMPARE(run.out[0], QStringLiteral("local\t2026-03-14 09:26:52"));
        QCOMPARE(run.out[1], QStringLiteral("remote\t") + remote);
        QCOMPARE(run.out[2].section(u'\t', 0, 1), QStringLiteral("outcome\t") + outcome);
        QVERIFY2(run.out[2].section(u'\t', 2).contains(reason), qPrintable(run.out[2]));
        QVERIFY2(!run.out[2].section(u'\t', 2).isEmpty(), qPrintable(run.out[2]));

        QCOMPARE(Snapshot(site.program.path()), before);
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
        QVERIFY(!QFile::exists(marks.filePath(QStringLiteral("started"))));
        const bool fetched = server.commands(QStringLiteral("RETR")).contains(QStringLiteral("RETR setupkovalt05.exe"));
        QCOMPARE(fetched, outcome == QStringLiteral("A") || serverArgs.contains(QStringLiteral("--drop-retr")));
    }

    void checkUpdate_developerMarkerStillContactsServer() {
        UpdateSite site;
        QVERIFY(site.prepare());
        FtpFixture server(site.server.path(), site.serverLog());
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site.writeIni(server.port()));
        QVERIFY(site.publishData(QStringLiteral("equal.ver")));
        QVERIFY(updatetest::WriteAll(site.at(QStringLiteral("unit3.cpp")), "// marker"));

        const AdminRun run = RunAdmin({QStringLiteral("--dir"), site.program.path(), QStringLiteral("check-update")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.value(2).section(u'\t', 0, 1), QStringLiteral("outcome\tN"));
        QVERIFY2(run.err.contains(QStringLiteral("developer marker")), qPrintable(run.err));
        QCOMPARE(server.commands(QStringLiteral("RETR")), QStringList{QStringLiteral("RETR setupkovalt05.ver")});
    }
};

QTEST_GUILESS_MAIN(TestAdminUpdate)
#include "tst_admin_update.moc"
