// The connection test against hostile MySQL peers on 127.0.0.1: a port that accepts and then
// sends nothing, random bytes, a greeting whose fields run past its end, or packets of the
// largest size without end. The test fails within the client's time-outs, with memory bounded;
// in module mode the bar shows its notice once and ends with exit code 0.

#include "hostile/hostile.h"

#include "app/notice.h"
#include "app/unit3.h"
#include "modules/tilelist.h"
#include "servers/connection.h"
#include "util/fileutil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <memory>
#include <vector>

using kovalt::MessageBox;

namespace {

const QStringList kModes{QStringLiteral("silent"), QStringLiteral("garbage"), QStringLiteral("handshake"),
                         QStringLiteral("flood")};

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

kovalt::DbSettings PeerSettings(quint16 port) {
    kovalt::DbSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.user = QStringLiteral("ucetni");
    s.password = QStringLiteral("heslo");
    s.database = QStringLiteral("kovalt");
    s.port = port;
    return s;
}

} // namespace

class TestHostileDb : public QObject {
    Q_OBJECT

private:
    QTemporaryDir logs;

private slots:
    void initTestCase() { QVERIFY(logs.isValid()); }

    void init() {
        MessageBox::clearShown();
        kovalt::Tiles().Connected = false;
    }

    void cleanup() {
        kovalt::Tiles().ReleaseControlsNow();
        MessageBox::clearShown();
        kovalt::SetProgramDirOverride(QString());
    }

    // Every peer at once, so the time-outs are waited out together.
    void testConnection_failsOnEveryHostilePeer() {
        std::vector<std::unique_ptr<hostile::MysqlPeer>> peers;
        for (const QString& mode : kModes) {
            peers.push_back(std::make_unique<hostile::MysqlPeer>(mode, logs.filePath("library-" + mode + ".log")));
            QVERIFY2(peers.back()->ok(), qPrintable(peers.back()->error()));
        }
        struct Result {
            bool ok = true;
            unsigned code = 0;
            QString text;
            qint64 ms = 0;
        };
        const hostile::MemoryWatch memory;
        QVERIFY(memory.valid());
        std::vector<std::future<Result>> running;
        for (const auto& peer : peers)
            running.push_back(std::async(std::launch::async, [port = peer->port()] {
                QElapsedTimer timer;
                timer.start();
                kovalt::ZConnection connection;
                Result r;
                r.ok = kovalt::TestConnection(connection, PeerSettings(port));
                r.code = connection.LastErrorCode();
                r.text = connection.LastError();
                r.ms = timer.elapsed();
                return r;
            }));
        for (qsizetype i = 0; i < kModes.size(); ++i) {
            const Result r = running[size_t(i)].get();
            qInfo("%s: %u %s after %lld ms", qPrintable(kModes[i]), r.code, qPrintable(r.text), r.ms);
            QVERIFY2(!r.ok, qPrintable(kModes[i]));
            // A client error (2000 and up), not a server's answer and not our own refusal.
            QVERIFY2(r.code >= 2000 && r.code < 3000, qPrintable(kModes[i] + ": " + r.text));
            // The client closed its side: the peer saw the connection end.
            QTRY_VERIFY2_WITH_TIMEOUT(peers[size_t(i)]->log().contains("DISCONNECT"), qPrintable(kModes[i]), 5000);
            QCOMPARE(peers[size_t(i)]->log().count("CONNECT"), 1);
        }
        qInfo("all peers: peak grew %lld kB", memory.peakGrowthKb());
        QVERIFY2(memory.peakGrowthKb() < hostile::kMemoryBoundKb, qPrintable(QString::number(memory.peakGrowthKb())));
    }

    void moduleMode_hostilePeer_noticeOnceThenExitZero_data() {
        QTest::addColumn<QString>("mode");
        // "silent" and "handshake" wait out the 10 s read time-out.
        for (const QString& mode : kModes)
            QTest::newRow(qPrintable(mode)) << mode;
    }

    void moduleMode_hostilePeer_noticeOnceThenExitZero() {
        QFETCH(QString, mode);
        hostile::MysqlPeer peer(mode, logs.filePath("bar-" + mode + ".log"));
        QVERIFY2(peer.ok(), qPrintable(peer.error()));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // The developer marker keeps the update check off the network.
        QVERIFY(WriteFile(dir.filePath("unit3.cpp"), "// marker\n"));
        QVERIFY(WriteFile(dir.filePath("kovalt05.ini"),
                          QStringLiteral("[LogON]\r\n;Alfa\r\nIP=127.0.0.1\r\nUser=ucetni\r\nPassword=heslo\r\n"
                                         "Database=kovalt\r\nSQLport=%1\r\n")
                              .arg(peer.port())
                              .toUtf8()));
        kovalt::SetProgramDirOverride(dir.path() + "/");
        // Answered ahead; a second notice would be counted rather than wait for a click.
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        MessageBox::setNextAnswer(MessageBox::ResultOk);

        const hostile::MemoryWatch memory;
        QVERIFY(memory.valid());
        QElapsedTimer timer;
        timer.start();
        auto bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(dir.path() + "/", "kovalt05.exe");
        bar->SetArguments({"kovalt05.exe"});
        bar->SetControlKeyProbe([] { return false; });
        bar->show();
        qInfo("%s: the bar ended its start after %lld ms; %u %s; peak grew %lld kB", qPrintable(mode),
              static_cast<long long>(timer.elapsed()), bar->ZConnection1.LastErrorCode(),
              qPrintable(bar->ZConnection1.LastError()), memory.peakGrowthKb());

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().title, QStringLiteral("Kovalt05"));
        QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Se serverem SQL (ALFA) se nelze spojit!"));
        QVERIFY(!kovalt::Tiles().Connected);
        QCOMPARE(kovalt::Tiles().Count, 0);
        QVERIFY(bar->Ending());
        QCOMPARE(bar->ExitCode(), 0);
        QVERIFY(!bar->isVisible());
        QVERIFY(!bar->Timer1->isActive());
        QVERIFY(!bar->ZConnection1.Connected());
        QVERIFY(bar->ZConnection1.LastErrorCode() >= 2000);
        QTRY_VERIFY_WITH_TIMEOUT(peer.log().contains("DISCONNECT"), 5000);
        QVERIFY2(memory.peakGrowthKb() < hostile::kMemoryBoundKb, qPrintable(QString::number(memory.peakGrowthKb())));
    }
};

QTEST_MAIN(TestHostileDb)
#include "tst_hostile_db.moc"
