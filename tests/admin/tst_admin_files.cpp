// kovalt05-admin on the settings file and the module list: servers, activate, label, modules, usage.

#include "admin/adminrun.h"

#include "modules/modulelist.h"
#include "servers/settingsfile.h"
#include "util/textfile.h"

#include <QtTest>

class TestAdminFiles : public QObject {
    Q_OBJECT

private:
    // A program directory holding dataName as kovalt05.ini.
    static bool withSettings(const QTemporaryDir& dir, const QString& dataName) {
        return dir.isValid() && CopyData(dataName, dir.filePath(QStringLiteral("kovalt05.ini")));
    }
    static QProcessEnvironment envWithLocale(const QString& locale) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!locale.isEmpty()) env.insert(QStringLiteral("LC_ALL"), locale);
        return env;
    }

private slots:
    void servers_listsTilesAsServerMode_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("worked example, first block active")
            << "servers/example.ini"
            << "" << QStringList{"1\tAlpha\tIP=10.0.0.1\tactive", "2\tBeta\tIP=10.0.0.2\tinactive"};
        QTest::newRow("after activating Beta")
            << "servers/example-beta.ini"
            << "" << QStringList{"1\tAlpha\tIP=10.0.0.1\tinactive", "2\tBeta\tIP=10.0.0.2\tactive"};
        QTest::newRow("UTF-16 file") << "servers/example-utf16le.ini"
                                     << ""
                                     << QStringList{"1\tAlpha\tIP=10.0.0.1\tactive", "2\tBeta\tIP=10.0.0.2\tinactive"};
        // Czech collation puts "ch" after "h"; the names come out in UTF-8.
        QTest::newRow("Czech names in the Czech locale")
            << "servers/czech.ini"
            << "cs_CZ.UTF-8" << QStringList{QStringLiteral(u"1\tBrno\tIP=192.168.1.60\tinactive"),
                                            QStringLiteral(u"2\tcesta\tIP=192.168.1.50\tinactive"),
                                            QStringLiteral(u"3\tČáslav\tIP=192.168.1.20\tinactive"),
                                            QStringLiteral(u"4\tHodonín\tIP=192.168.1.40\tinactive"),
                                            QStringLiteral(u"5\tCheb\tIP=192.168.1.30\tinactive"),
                                            QStringLiteral(u"6\tŠumperk\tIP=192.168.1.10\tactive")};
        QTest::newRow("blocks without address dropped, numbers consecutive")
            << "admin/servers-odd.ini"
            << "" << QStringList{"1\talfa\tIP=10.0.0.4\tactive", "2\tGama\tIP=10.0.0.3\tinactive"};
        QTest::newRow("no server block") << "admin/servers-none.ini"
                                         << "" << QStringList{};
    }

    void servers_listsTilesAsServerMode() {
        QFETCH(QString, data);
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);

        QTemporaryDir dir;
        QVERIFY(withSettings(dir, data));
        const AdminRun run =
            RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("servers")}, envWithLocale(locale));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out, expected);
        QCOMPARE(run.err, QString());
    }

    void activate_writesSameBytesAsServerMode_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedData");

        QTest::newRow("worked example, Beta") << "servers/example.ini"
                                              << "Beta"
                                              << "servers/example-beta.ini";
        QTest::newRow("Czech name") << "servers/czech.ini" << QStringLiteral(u"Čáslav") << "servers/czech-caslav.ini";
        QTest::newRow("UTF-8 file with mark, written as ANSI") << "servers/example-utf8bom.ini"
                                                               << "Beta"
                                                               << "";
        QTest::newRow("UTF-16 file, written as ANSI") << "servers/example-utf16le.ini"
                                                      << "Beta"
                                                      << "";
        QTest::newRow("CR line ends") << "servers/example-cr.ini"
                                      << "Beta"
                                      << "";
        QTest::newRow("block already active") << "servers/example.ini"
                                              << "Alpha"
                                              << "";
    }

    void activate_writesSameBytesAsServerMode() {
        QFETCH(QString, data);
        QFETCH(QString, name);
        QFETCH(QString, expectedData);

        // Server mode's own activation on a second copy of the same file.
        QTemporaryDir barDir;
        QVERIFY(withSettings(barDir, data));
        const QString barPath = barDir.filePath(QStringLiteral("kovalt05.ini"));
        QStringList lines = kovalt::ReadTextFile(barPath).lines;
        QStringList serverPart = kovalt::ExtractServerPart(lines);
        kovalt::ActivateServerInFile(barPath, lines, serverPart, name);
        const QByteArray barBytes = FileBytes(barPath);

        QTemporaryDir dir;
        QVERIFY(withSettings(dir, data));
        const QString path = dir.filePath(QStringLiteral("kovalt05.ini"));
        const AdminRun run = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("activate"), name});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out, QStringList{QStringLiteral("activated\t") + name});
        QCOMPARE(FileBytes(path), barBytes);
        if (!expectedData.isEmpty()) QCOMPARE(FileBytes(path), FileBytes(AdminData(expectedData)));
        // The atomic write leaves nothing of its own behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("kovalt05.ini")});
    }

    void activate_unknownNameChangesNothing_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("name");

        QTest::newRow("no such block") << "servers/example.ini"
                                       << "Gamma";
        QTest::newRow("other letter case") << "servers/example.ini"
                                           << "beta";
        QTest::newRow("trailing blank") << "servers/example.ini"
                                        << "Beta ";
        QTest::newRow("empty name") << "servers/example.ini"
                                    << "";
        QTest::newRow("block without address has no tile") << "admin/servers-odd.ini"
                                                           << "Delta";
    }

    void activate_unknownNameChangesNothing() {
        QFETCH(QString, data);
        QFETCH(QString, name);

        QTemporaryDir dir;
        QVERIFY(withSettings(dir, data));
        const QMap<QString, QString> before = Snapshot(dir.path());
        const AdminRun run = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("activate"), name});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QStringList{});
        QVERIFY2(run.err.contains(QStringLiteral("no server named \"%1\"").arg(name)), qPrintable(run.err));
        QCOMPARE(Snapshot(dir.path()), before);
    }

    void label_isTheConnectionNoticeLabel_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("expected");

        QTest::newRow("worked example") << "servers/example.ini"
                                        << "(ALPHA)";
        QTest::newRow("after activating Beta") << "servers/example-beta.ini"
                                               << "(BETA)";
        QTest::newRow("accented name upper-cased") << "servers/czech.ini" << QStringLiteral(u"(ŠUMPERK)");
        QTest::newRow("section line in capitals: empty label") << "admin/section-upper.ini"
                                                               << "";
        QTest::newRow("unnamed uncommented keys") << "admin/servers-odd.ini"
                                                  << "(DATA)";
    }

    void label_isTheConnectionNoticeLabel() {
        QFETCH(QString, data);
        QFETCH(QString, expected);

        QTemporaryDir dir;
        QVERIFY(withSettings(dir, data));
        const AdminRun run = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("label")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out, QStringList{expected});
    }

    void modules_listsShownAndLeftOutSections() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(CopyData(QStringLiteral("admin/moduly.ini"), dir.filePath(QStringLiteral("moduly.ini"))));
        for (const char* program : {"ucto.exe", "sklad.exe"}) {
            QFile file(dir.filePath(QLatin1String(program)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data")));
        const QString d = dir.path() + u'/';
        const QMap<QString, QString> before = Snapshot(dir.path());

        const AdminRun run = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("modules")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QStringList expected{
            QStringLiteral(u"1\tÚčetnictví\t%1ucto.exe\tHlavní kniha").arg(d),
            QStringLiteral("-\t02\tno Modulnazev"),
            QStringLiteral("-\t03\tprogram missing\t%1mzdy.exe").arg(d),
            QStringLiteral("2\t\t%1sklad.exe\t").arg(d),
            QStringLiteral(u"3\tSklad s argumenty\t%1sklad.exe\" \"/firma=%1data\tSklad, firma z adresáře").arg(d),
            QStringLiteral("-\t06\tprogram missing\t%1data").arg(d),
            QStringLiteral("-\t08\tprogram missing\t"),
        };
        QCOMPARE(run.out, expected);

        // The shown lines are exactly what module mode reads.
        QStringList shown;
        const QList<kovalt::ModuleEntry> modules = kovalt::ReadModuleList(d);
        for (qsizetype k = 0; k < modules.size(); ++k)
            shown << QString::number(k + 1) + u'\t' + modules[k].Name + u'\t' + modules[k].Command + u'\t' +
                         modules[k].Description;
        QStringList printed = run.out;
        printed.removeIf([](const QString& line) { return line.startsWith(u'-'); });
        QCOMPARE(printed, shown);
        QCOMPARE(Snapshot(dir.path()), before);
    }

    void usage_badOrMissingGivesExit2_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");

        const QString dir = QStringLiteral("%DIR%");
        QTest::newRow("no command") << QStringList{} << "no command given";
        QTest::newRow("unknown command") << QStringList{"status"} << "unknown command \"status\"";
        QTest::newRow("unknown option") << QStringList{"--verbose", "servers"} << "Unknown option 'verbose'";
        QTest::newRow("activate without name") << QStringList{"--dir", dir, "activate"} << "exactly one server name";
        QTest::newRow("activate with two names")
            << QStringList{"--dir", dir, "activate", "Alpha", "Beta"} << "exactly one server name";
        QTest::newRow("argument to servers") << QStringList{"--dir", dir, "servers", "Alpha"} << "takes no arguments";
        QTest::newRow("--test without activate") << QStringList{"--dir", dir, "--test", "label"} << "only to activate";
        QTest::newRow("--dir without value") << QStringList{"servers", "--dir"} << "Missing value after '--dir'";
        QTest::newRow("missing program directory")
            << QStringList{"--dir", "%DIR%/neni", "servers"} << "program directory not found: %DIR%/neni";
        QTest::newRow("program directory is a file")
            << QStringList{"--dir", "%DIR%/kovalt05.ini", "label"} << "program directory not found";
        QTest::newRow("no settings file") << QStringList{"--dir", "%DIR%/empty", "test-connection"}
                                          << "Cannot open file \"%DIR%/empty/kovalt05.ini\"";
        QTest::newRow("settings file is a directory")
            << QStringList{"--dir", "%DIR%/folder", "servers"} << "Cannot open file \"%DIR%/folder/kovalt05.ini\"";
        QTest::newRow("no module list") << QStringList{"--dir", dir, "modules"} << "moduly.ini";
        QTest::newRow("no settings file for the update check")
            << QStringList{"--dir", "%DIR%/empty", "check-update"} << "kovalt05.ini";
    }

    void usage_badOrMissingGivesExit2() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);

        QTemporaryDir dir;
        QVERIFY(withSettings(dir, QStringLiteral("servers/example.ini")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("empty")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder/kovalt05.ini")));
        for (QString& arg : args)
            arg.replace(QStringLiteral("%DIR%"), dir.path());
        message.replace(QStringLiteral("%DIR%"), dir.path());
        const QMap<QString, QString> before = Snapshot(dir.path());

        const AdminRun run = RunAdmin(args);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QStringList{});
        QVERIFY2(run.err.startsWith(QStringLiteral("kovalt05-admin: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(Snapshot(dir.path()), before);
    }

    void help_listsEveryCommand() {
        const AdminRun run = RunAdmin({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        const QString text = run.out.join(u'\n');
        for (const char* command :
             {"servers", "activate NAME [--test]", "label", "test-connection", "modules", "check-update", "--dir DIR"})
            QVERIFY2(text.contains(QLatin1String(command)), command);
    }

    void defaultDir_isTheProgramsOwnFolder() {
        QTemporaryDir dir;
        QVERIFY(withSettings(dir, QStringLiteral("servers/example-beta.ini")));
        const QString copy = dir.filePath(QFileInfo(AdminProgram()).fileName());
        QVERIFY(QFile::copy(AdminProgram(), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner));

        // Run from elsewhere, so the current folder cannot stand in for the program's own.
        QTemporaryDir elsewhere;
        QVERIFY(withSettings(elsewhere, QStringLiteral("servers/example.ini")));
        QProcess process;
        process.setWorkingDirectory(elsewhere.path());
        process.start(copy, {QStringLiteral("label")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), QStringLiteral("(BETA)"));
    }
};

QTEST_GUILESS_MAIN(TestAdminFiles)
#include "tst_admin_files.moc"
