// Reading the database keys of the active server block.

#include "servers/connection.h"
#include "util/textfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kovalt;

class TestDbSettings : public QObject {
    Q_OBJECT

private slots:
    void readDbSettings_readsKeysInOrderWithDefaults() {
        QStringList calls;
        const DbSettings s = ReadDbSettings(
            [&](const QString& key, const QString& def) {
                calls << key + QLatin1Char('|') + def;
                return QStringLiteral("<%1>").arg(key);
            },
            [&](const QString& key, int def) {
                calls << key + QLatin1Char('|') + QString::number(def);
                return 4406;
            });
        QCOMPARE(calls, (QStringList{QStringLiteral("IP|"), QStringLiteral("Password|"), QStringLiteral("User|"),
                                     QStringLiteral("Database|kovalt"), QStringLiteral("SQLport|3306")}));
        QCOMPARE(s.host, QStringLiteral("<IP>"));
        QCOMPARE(s.password, QStringLiteral("<Password>"));
        QCOMPARE(s.user, QStringLiteral("<User>"));
        QCOMPARE(s.database, QStringLiteral("<Database>"));
        QCOMPARE(s.port, 4406);
    }

    void readDbSettingsFromFile_takesActiveBlock_data() {
        QTest::addColumn<QString>("ini"); // empty: no file at all
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<int>("port");

        const QString ftp = QStringLiteral("FTP=update.example.invalid\n");
        QTest::newRow("active block")
            << QStringLiteral("[LogON]\n;A\nIP=10.0.0.1\nUser=u\nPassword=p\nDatabase=d\nSQLport=3310\n") + ftp
            << "10.0.0.1"
            << "u"
            << "p"
            << "d" << 3310;
        QTest::newRow("no active block")
            << QStringLiteral("[LogON]\n;A\n;IP=10.0.0.1\n;User=u\n;Password=p\n;Database=d\n;SQLport=3310\n") + ftp
            << ""
            << ""
            << ""
            << "kovalt" << 3306;
        QTest::newRow("missing file") << ""
                                      << ""
                                      << ""
                                      << ""
                                      << "kovalt" << 3306;
        QTest::newRow("empty SQLport") << QStringLiteral("[LogON]\n;A\nIP=h\nSQLport=\n") + ftp << "h"
                                       << ""
                                       << ""
                                       << "kovalt" << 3306;
        QTest::newRow("non-numeric SQLport") << QStringLiteral("[LogON]\n;A\nIP=h\nSQLport=port\n") + ftp << "h"
                                             << ""
                                             << ""
                                             << "kovalt" << 3306;
        QTest::newRow("hexadecimal SQLport 0x0CEB")
            << QStringLiteral("[LogON]\n;A\nIP=h\nSQLport=0x0CEB\n") + ftp << "h"
            << ""
            << ""
            << "kovalt" << 3307;
        QTest::newRow("empty Database stays empty") << QStringLiteral("[LogON]\n;A\nIP=h\nDatabase=\n") + ftp << "h"
                                                    << ""
                                                    << ""
                                                    << "" << 3306;
        QTest::newRow("two uncommented IP lines, first used")
            << QStringLiteral("[LogON]\n;A\nIP=10.0.0.1\nUser=u\n;\n;B\nIP=10.0.0.2\nUser=v\n") + ftp << "10.0.0.1"
            << "u"
            << ""
            << "kovalt" << 3306;
        QTest::newRow("section name in other case")
            << QStringLiteral("[logon]\n;A\nip=10.0.0.1\nUSER=u\npassword=p\nDATABASE=d\nsqlPORT=3310\n") + ftp
            << "10.0.0.1"
            << "u"
            << "p"
            << "d" << 3310;
        QTest::newRow("same keys in another section ignored")
            << QStringLiteral("[Other]\nIP=10.9.9.9\nSQLport=1\n[LogON]\n;A\nIP=10.0.0.1\n") + ftp +
                   QStringLiteral("[TForm3]\nUser=x\n")
            << "10.0.0.1"
            << ""
            << ""
            << "kovalt" << 3306;
    }

    void readDbSettingsFromFile_takesActiveBlock() {
        QFETCH(QString, ini);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("kovalt05.ini"));
        if (!ini.isEmpty()) WriteTextFile(path, ini.split(QLatin1Char('\n')));

        const DbSettings s = ReadDbSettingsFromFile(path);
        QTEST(s.host, "host");
        QTEST(s.user, "user");
        QTEST(s.password, "password");
        QTEST(s.database, "database");
        QTEST(s.port, "port");
    }

    void readDbSettingsFromFile_realFileInCp1250() {
        // Prelude, a commented block, the active block with Czech texts, update keys and the
        // placement section, as the suite's files hold them.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("kovalt05.ini"));
        QVERIFY(QFile::copy(qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/db/kovalt05.ini"), path));

        const DbSettings s = ReadDbSettingsFromFile(path);
        QCOMPARE(s.host, QStringLiteral("192.168.7.20"));
        QCOMPARE(s.user, QStringLiteral("skladník"));
        QCOMPARE(s.password, QStringLiteral("heslo čř"));
        QCOMPARE(s.database, QStringLiteral("sklad"));
        QCOMPARE(s.port, 3307);
    }
};

QTEST_GUILESS_MAIN(TestDbSettings)
#include "tst_dbsettings.moc"
