// The connection test against the private MariaDB server of the test run.

#include "db/mariadbinfo.h"

#include "servers/connection.h"
#include "servers/mariadblib.h"
#include "util/textfile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

Q_DECLARE_METATYPE(kovalt::TextEncoding)

using namespace kovalt;

namespace {

constexpr unsigned kAccessDenied = 1045;   // ER_ACCESS_DENIED_ERROR
constexpr unsigned kDatabaseDenied = 1044; // ER_DBACCESS_DENIED_ERROR
constexpr unsigned kCannotConnect = 2002;  // CR_CONNECTION_ERROR

// A TCP socket bound to 127.0.0.1 on a free port, closed with the object.
class LocalSocket {
public:
    LocalSocket() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
    }
    ~LocalSocket() { close(); }
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    int port() const { return port_; }
    bool listen() { return fd_ >= 0 && ::listen(fd_, 4) == 0; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace

class TestConnectionDb : public QObject {
    Q_OBJECT

private:
    MariaDbInfo info_;
    int closedPort_ = 0;

    // Fills the placeholders of a settings file and writes it as kovalt05.ini into dir.
    QString writeSettings(const QTemporaryDir& dir, QString text, TextEncoding encoding = TextEncoding::Ansi) {
        text.replace(QLatin1String("%HOST%"), info_.host)
            .replace(QLatin1String("%PORT%"), QString::number(info_.port))
            .replace(QLatin1String("%HEXPORT%"), QStringLiteral("0x%1").arg(info_.port, 4, 16, QLatin1Char('0')))
            .replace(QLatin1String("%WRAPPEDPORT%"), QString::number(info_.port + 65536))
            .replace(QLatin1String("%CLOSEDPORT%"), QString::number(closedPort_))
            .replace(QLatin1String("%USER%"), info_.user)
            .replace(QLatin1String("%PASSWORD%"), info_.password)
            .replace(QLatin1String("%DB%"), info_.database);
        const QString path = dir.filePath(QStringLiteral("kovalt05.ini"));
        WriteTextFile(path, text.split(QLatin1Char('\n')), encoding);
        return path;
    }

    static int sessionsOf(RootSession& root, const QString& user) {
        return root
            .scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = '%1'").arg(user))
            .toInt();
    }

private slots:
    void initTestCase() {
        info_ = MariaDbInfo::load();
        QVERIFY2(info_.valid(), qPrintable(info_.error));

        // A port that was free a moment ago and has nobody listening now.
        LocalSocket probe;
        QVERIFY(probe.port() > 0);
        closedPort_ = probe.port();
        probe.close();

        RootSession root(info_);
        QVERIFY2(root.ok(), qPrintable(root.error()));
        const QStringList setup = {
            QStringLiteral("CREATE OR REPLACE USER 'kovalt_cz'@'127.0.0.1' IDENTIFIED BY 'heslo čř'"),
            QStringLiteral("CREATE OR REPLACE USER 'kovalt_q'@'127.0.0.1' IDENTIFIED BY 'heslo ?'"),
            QStringLiteral("CREATE OR REPLACE USER 'kovalt_probe'@'127.0.0.1' IDENTIFIED BY 'sonda'"),
            QStringLiteral("GRANT ALL ON kovalt.* TO 'kovalt_cz'@'127.0.0.1', 'kovalt_q'@'127.0.0.1', "
                           "'kovalt_probe'@'127.0.0.1'"),
        };
        for (const QString& sql : setup)
            QVERIFY2(root.exec(sql), qPrintable(root.error()));
    }

    // The bar loads the client library on a start-up thread; a connection asked for meanwhile
    // waits for that load instead of failing or loading it a second time.
    void clientLibrary_connectionWaitsForALoadUnderWay() {
        std::thread loader([] { kovalt::DbClient(); });
        DbSettings settings;
        settings.host = info_.host;
        settings.user = info_.user;
        settings.password = info_.password;
        settings.database = info_.database;
        settings.port = info_.port;
        ZConnection connection;
        const bool ok = TestConnection(connection, settings);
        loader.join();
        QVERIFY2(ok, qPrintable(connection.LastError()));
        QVERIFY(kovalt::DbClient() != nullptr);
    }

    void loader_namesMissingFileOrFunction_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("named");
        QTest::newRow("no such library") << QStringLiteral("libkovalt-no-such-mariadb.so.3")
                                         << QStringLiteral("libkovalt-no-such-mariadb.so.3");
        QTest::newRow("not the client library") << QStringLiteral("libz.so.1") << QStringLiteral("mysql_server_init");
    }

    void loader_namesMissingFileOrFunction() {
        QFETCH(QString, file);
        QFETCH(QString, named);
        kovalt::MariaDbLib lib;
        QString error;
        QVERIFY(!kovalt::LoadMariaDbLib(file.toLocal8Bit().constData(), lib, error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY(!lib.init);
    }

    void testConnection_followsActiveBlock_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<unsigned>("expectedError");

        const QString head = QStringLiteral("[LogON]\n;Server\n");
        const QString tail = QStringLiteral("\nFTP=update.example.invalid\nFTPuser=trenix");
        const auto block = [&](const QString& keys) { return head + keys + tail; };

        QTest::newRow("right settings")
            << block(QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%PORT%"))
            << true << 0u;
        QTest::newRow("second block active, first commented")
            << QStringLiteral("[LogON]\n;Alpha\n;IP=%HOST%\n;User=%USER%\n;Password=wrong\n;Database=%DB%\n"
                              ";SQLport=%PORT%\n;\n;Beta\nIP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\n"
                              "Database=%DB%\nSQLport=%PORT%\nFTP=update.example.invalid")
            << true << 0u;
        QTest::newRow("wrong password")
            << block(QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%x\nDatabase=%DB%\nSQLport=%PORT%"))
            << false << kAccessDenied;
        QTest::newRow("unknown user")
            << block(QStringLiteral("IP=%HOST%\nUser=nikdo\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%PORT%"))
            << false << kAccessDenied;
        // The server does not tell a missing database from one the user may not open.
        QTest::newRow("unknown database")
            << block(QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=neexistuje\nSQLport=%PORT%"))
            << false << kDatabaseDenied;
        QTest::newRow("closed port")
            << block(QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%CLOSEDPORT%"))
            << false << kCannotConnect;
        // 192.0.2.1 is a documentation address: reaching for it would time out.
        QTest::newRow("two uncommented blocks, first used")
            << QStringLiteral("[LogON]\n;Alpha\nIP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\n"
                              "SQLport=%PORT%\n;\n;Beta\nIP=192.0.2.1\nUser=nikdo\nPassword=wrong\nDatabase=jina\n"
                              "SQLport=3306\nFTP=update.example.invalid")
            << true << 0u;
        QTest::newRow("hexadecimal port")
            << block(QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%HEXPORT%"))
            << true << 0u;
        // The library would take the low 16 bits, which is the server's real port.
        QTest::newRow("port beyond 65535 not wrapped")
            << block(
                   QStringLiteral("IP=%HOST%\nUser=%USER%\nPassword=%PASSWORD%\nDatabase=%DB%\nSQLport=%WRAPPEDPORT%"))
            << false << 0u;
    }

    void testConnection_followsActiveBlock() {
        QFETCH(QString, ini);
        QFETCH(bool, expected);
        QFETCH(unsigned, expectedError);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const DbSettings settings = ReadDbSettingsFromFile(writeSettings(dir, ini));
        ZConnection connection;
        const bool ok = TestConnection(connection, settings);
        QVERIFY2(ok == expected, qPrintable(connection.LastError()));
        QCOMPARE(connection.LastErrorCode(), expectedError);
        QVERIFY(!connection.Connected());
    }

    void testConnection_czechPassword_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<bool>("expected");

        QTest::newRow("same letters, ANSI file")
            << QStringLiteral("kovalt_cz") << QStringLiteral("heslo čř") << TextEncoding::Ansi << true;
        QTest::newRow("same letters, UTF-8 file")
            << QStringLiteral("kovalt_cz") << QStringLiteral("heslo čř") << TextEncoding::Utf8 << true;
        QTest::newRow("upper case") << QStringLiteral("kovalt_cz") << QStringLiteral("HESLO ČŘ") << TextEncoding::Utf8
                                    << false;
        QTest::newRow("ASCII fallback") << QStringLiteral("kovalt_cz") << QStringLiteral("heslo cr")
                                        << TextEncoding::Ansi << false;
        QTest::newRow("question mark account")
            << QStringLiteral("kovalt_q") << QStringLiteral("heslo ?") << TextEncoding::Ansi << true;
        // cp1250 has no snowman; sent as "?" it would open the account above.
        QTest::newRow("letter outside cp1250 not sent as question mark")
            << QStringLiteral("kovalt_q") << QStringLiteral("heslo ☃") << TextEncoding::Utf8 << false;
    }

    void testConnection_czechPassword() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(TextEncoding, encoding);
        QFETCH(bool, expected);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = QStringLiteral("[LogON]\n;Brno\nIP=%HOST%\nUser=") + user + QStringLiteral("\nPassword=") +
                            password + QStringLiteral("\nDatabase=%DB%\nSQLport=%PORT%\nFTP=update.example.invalid");
        const DbSettings settings = ReadDbSettingsFromFile(writeSettings(dir, ini, encoding));
        QCOMPARE(settings.password, password);
        ZConnection connection;
        QVERIFY2(TestConnection(connection, settings) == expected, qPrintable(connection.LastError()));
    }

    void testConnection_noActiveBlockGivesFalse() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const DbSettings settings = ReadDbSettingsFromFile(
            writeSettings(dir, QStringLiteral("[LogON]\n;Server\n;IP=%HOST%\n;User=%USER%\n;Password=%PASSWORD%\n"
                                              ";Database=%DB%\n;SQLport=%PORT%\nFTP=update.example.invalid")));
        QCOMPARE(settings.host, QString());
        QCOMPARE(settings.user, QString());
        QCOMPARE(settings.password, QString());
        QCOMPARE(settings.database, QStringLiteral("kovalt"));
        QCOMPARE(settings.port, 3306);
        // The empty host is the library's local socket, where no server of ours listens.
        ZConnection connection;
        QVERIFY(!TestConnection(connection, settings));
        QVERIFY(connection.LastErrorCode() != 0);
    }

    void testConnection_silentPeerGivesFalse() {
        // Listens but never accepts: the kernel completes the handshake, no greeting ever comes.
        LocalSocket silent;
        QVERIFY(silent.port() > 0 && silent.listen());
        DbSettings settings;
        settings.host = info_.host;
        settings.user = info_.user;
        settings.password = info_.password;
        settings.database = info_.database;
        settings.port = silent.port();

        ZConnection connection;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!TestConnection(connection, settings));
        qInfo("silent peer gave up after %lld ms", static_cast<long long>(timer.elapsed()));
        QVERIFY(connection.LastErrorCode() != 0);
    }

    void connect_opensOneSessionAndDisconnectClosesIt() {
        RootSession root(info_);
        QVERIFY2(root.ok(), qPrintable(root.error()));
        const QString user = QStringLiteral("kovalt_probe");

        ZConnection connection;
        connection.SetHostName(info_.host);
        connection.SetPort(info_.port);
        connection.SetUser(user);
        connection.SetPassword(QStringLiteral("sonda"));
        connection.SetDatabase(info_.database);
        connection.Disconnect(); // closed: nothing happens
        QVERIFY(!connection.Connected());

        QVERIFY2(connection.Connect(), qPrintable(connection.LastError()));
        QVERIFY(connection.Connected());
        QVERIFY(connection.Connect()); // already open: no second session
        QTRY_COMPARE(sessionsOf(root, user), 1);

        connection.Disconnect();
        QVERIFY(!connection.Connected());
        QTRY_COMPARE(sessionsOf(root, user), 0);

        // TestConnection leaves nothing open, whatever the connection held before.
        QVERIFY(connection.Connect());
        DbSettings settings;
        settings.host = info_.host;
        settings.port = info_.port;
        settings.user = user;
        settings.password = QStringLiteral("sonda");
        settings.database = info_.database;
        QVERIFY(TestConnection(connection, settings));
        QVERIFY(!connection.Connected());
        QTRY_COMPARE(sessionsOf(root, user), 0);

        // A failed attempt leaves the connection closed, ready for the next one.
        settings.password = QStringLiteral("jiná");
        QVERIFY(!TestConnection(connection, settings));
        QVERIFY(!connection.Connected());
        settings.password = QStringLiteral("sonda");
        QVERIFY(TestConnection(connection, settings));
    }
};

QTEST_GUILESS_MAIN(TestConnectionDb)
#include "tst_connection.moc"
