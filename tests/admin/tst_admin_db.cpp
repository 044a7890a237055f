// kovalt05-admin test-connection and activate --test against the private MariaDB server of the run.

#include "admin/adminrun.h"
#include "db/mariadbinfo.h"

#include "servers/connection.h"
#include "util/textfile.h"

#include <QtTest>

class TestAdminDb : public QObject {
    Q_OBJECT

private:
    MariaDbInfo info_;

    // kovalt05.ini with the blocks Dobry (the fixture's account) and Spatny (a wrong password),
    // active one first; placeholders of text filled in.
    QString fill(QString text) const {
        return text.replace(QLatin1String("%HOST%"), info_.host)
            .replace(QLatin1String("%PORT%"), QString::number(info_.port))
            .replace(QLatin1String("%USER%"), info_.user)
            .replace(QLatin1String("%PASSWORD%"), info_.password)
            .replace(QLatin1String("%DB%"), info_.database);
    }
    QString writeSettings(const QTemporaryDir& dir, const QString& text) const {
        const QString path = dir.filePath(QStringLiteral("kovalt05.ini"));
        kovalt::WriteTextFile(path, fill(text).split(u'\n'));
        return path;
    }
    // The line the admin program prints for a failed test: the library's own code and text.
    static QString libraryFailure(const QString& settingsPath) {
        kovalt::ZConnection connection;
        if (kovalt::TestConnection(connection, kovalt::ReadDbSettingsFromFile(settingsPath)))
            return QStringLiteral("OK");
        return QString::number(connection.LastErrorCode()) + u' ' + connection.LastError();
    }

    static QString twoBlocks() {
        return QStringLiteral("[LogON]\n;Dobry\nIP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\n"
                              "SQLport=%PORT%\n\n;Spatny\n;IP=%HOST%\n;User=%USER%\n;Password=%PASSWORD%x\n"
                              ";Database=%DB%\n;SQLport=%PORT%\nFTP=update.example.invalid");
    }

private slots:
    void initTestCase() {
        info_ = MariaDbInfo::load();
        QVERIFY2(info_.valid(), qPrintable(info_.error));
    }

    void testConnection_printsOkOrLibraryError_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstWord");

        QTest::newRow("right settings") << "IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%PORT%"
                                        << 0 << "OK";
        QTest::newRow("wrong password") << "IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%x\nDatabase=%DB%\nSQLport=%PORT%"
                                        << 1 << "1045";
        QTest::newRow("unknown database")
            << "IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=neexistuje\nSQLport=%PORT%" << 1 << "1044";
    }

    void testConnection_printsOkOrLibraryError() {
        QFETCH(QString, keys);
        QFETCH(int, exitCode);
        QFETCH(QString, firstWord);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path =
            writeSettings(dir, QStringLiteral("[LogON]\n;Hlavni server\n") + keys + QStringLiteral("\nFTP=x"));
        const AdminRun run = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("test-connection")});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out.size(), 1);
        QCOMPARE(run.out.first().section(u' ', 0, 0), firstWord);
        if (exitCode == 0) {
            QCOMPARE(run.err, QString());
        } else {
            QCOMPARE(run.out.first(), libraryFailure(path));
            QVERIFY(run.out.first().size() > firstWord.size() + 1);
            QCOMPARE(run.err.trimmed(), QStringLiteral("Se serverem SQL (HLAVNI SERVER) se nelze spojit!"));
        }
    }

    void activateTest_connectionDecidesExit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("testLine");

        QTest::newRow("reachable server") << "Dobry" << 0 << "OK";
        QTest::newRow("wrong password") << "Spatny" << 1 << "1045";
    }

    void activateTest_connectionDecidesExit() {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        QFETCH(QString, testLine);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = writeSettings(dir, twoBlocks());
        const AdminRun run =
            RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("activate"), name, QStringLiteral("--test")});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out.size(), 2);
        QCOMPARE(run.out[0], QStringLiteral("activated\t") + name);
        QCOMPARE(run.out[1].section(u' ', 0, 0), testLine);
        // The activation stays written when the test fails, as in server mode.
        const AdminRun label = RunAdmin({QStringLiteral("--dir"), dir.path(), QStringLiteral("label")});
        QCOMPARE(label.out, QStringList{u'(' + name.toUpper() + u')'});
        if (exitCode != 0) QCOMPARE(run.out[1], libraryFailure(path));
    }
};

QTEST_GUILESS_MAIN(TestAdminDb)
#include "tst_admin_db.moc"
