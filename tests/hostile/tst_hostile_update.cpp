// The update check against hostile FTP servers on 127.0.0.1: a version file of 100 MB, one whose
// first line is 1 MB long, binary garbage, and a server that falls silent after its greeting.
// The bar keeps painting, ends with its outcome and the ready indicator, and its memory stays
// bounded.

#include "hostile/hostile.h"
#include "tests/admin/adminrun.h"
#include "tests/app/updatebar.h"
#include "tests/update/updatetesthelpers.h"

#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "update/idftp.h"
#include "update/updatecheck.h"
#include "util/fileutil.h"

#include <QProgressBar>
#include <QTest>

#include <memory>

using kovalt::MessageBox;
using namespace updatetest;

namespace {
const QString kVer = QStringLiteral("setupkovalt05.ver");
const QString kExe = QStringLiteral("setupkovalt05.exe");
const QByteArray kOldReport = "Verze programu: old\r\nVerze internet: old\r\n";

QByteArray Report(const QString& remote) {
    return ("Verze programu: 2026-03-14 09:26:52\r\nVerze internet: " + remote + "\r\n").toUtf8();
}

QStringList EndE() {
    return {QStringLiteral("progress shown"), QStringLiteral("progress hidden"),
            QStringLiteral("message Kovalt05: ") + kErrorText, QStringLiteral("progress hidden"),
            QStringLiteral("ready")};
}
} // namespace

class TestHostileUpdate : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<UpdateSite> site;

    std::unique_ptr<TForm3> makeBar() { return MakeUpdateBar(*site); }

    static bool checkOver(TForm3* bar) {
        return bar->State() != TForm3::RunState::Waiting && bar->State() != TForm3::RunState::Checking &&
               bar->State() != TForm3::RunState::Filling;
    }

    static QStringList texts() {
        QStringList out;
        for (const MessageBox::Shown& s : MessageBox::shown())
            out << s.title + ": " + s.text;
        return out;
    }

private slots:
    void init() {
        MessageBox::clearShown();
        site = std::make_unique<UpdateSite>();
        QVERIFY(site->prepare());
    }

    void cleanup() {
        kovalt::Tiles().ReleaseControlsNow();
        MessageBox::clearShown();
        kovalt::SetProgramDirOverride(QString());
        site.reset();
    }

    void hostileServer_barPaintsAndEndsReady_data() {
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<QString>("published");
        QTest::addColumn<QString>("waitVerb");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QByteArray>("report");

        // A newer version stands at the head of the 100 MB: read whole, it would start the installer.
        QTest::newRow("100 MB version file")
            << QStringList{"--big-retr", kVer, QString::number(100 * 1024 * 1024)} << "newer.ver"
            << "CONNECT" << true << kOldReport;
        QTest::newRow("first line of 1 MB")
            << QStringList{"--long-first-line", kVer, QString::number(1024 * 1024)} << "equal.ver"
            << "CONNECT" << false << Report("2026-03-14 09:26:52");
        QTest::newRow("binary garbage") << QStringList{"--garbage-retr", kVer, QString::number(256 * 1024)} << QString()
                                        << "CONNECT" << true << kOldReport;
        // Waits out the connect time-out of 21 s.
        QTest::newRow("silent after its greeting") << QStringList{"--stall-after-greeting"} << "newer.ver"
                                                   << "USER" << true << kOldReport;
    }

    void hostileServer_barPaintsAndEndsReady() {
        QFETCH(QStringList, serverArgs);
        QFETCH(QString, published);
        QFETCH(QString, waitVerb);
        QFETCH(bool, notice);
        QFETCH(QByteArray, report);

        if (!published.isEmpty()) QVERIFY(site->publishData(published));
        QVERIFY(site->publish(kExe, AwkwardBytes(4000)));
        QVERIFY(WriteAll(site->at("verze.log"), kOldReport));
        FtpFixture server(site->server.path(), site->serverLog(), serverArgs);
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));
        // Answered ahead; a second, wrong notice would be counted rather than wait for a click.
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        MessageBox::setNextAnswer(MessageBox::ResultOk);

        const hostile::MemoryWatch memory;
        QVERIFY(memory.valid());
        auto bar = makeBar();
        TForm3* b = bar.get();
        const hostile::BusyWatch watch(
            b, [b] { return b->State() == TForm3::RunState::Checking; },
            [&server, waitVerb] { return !server.commands(waitVerb).isEmpty(); });
        bar->show();
        QTRY_VERIFY_WITH_TIMEOUT(checkOver(b), 60000);

        QCOMPARE(bar->State(), TForm3::RunState::Ready);
        QVERIFY(bar->Ready());
        QVERIFY(!bar->JvImage1->isHidden());
        QVERIFY(bar->JvProgressBar1->isHidden());
        QVERIFY(bar->isVisible());
        QCOMPARE(texts(), notice ? QStringList{"Kovalt05: " + kErrorText} : QStringList());
        QCOMPARE(ReadAll(site->at("verze.log")), report);
        // Nothing of the transfer stays behind, nothing is installed.
        QVERIFY(!QFile::exists(site->at(kExe)));
        QVERIFY(!QFile::exists(site->at(kVer + ".part")));
        if (serverArgs.value(0) == "--big-retr") QVERIFY(!QFile::exists(site->at(kVer)));
        QVERIFY(!server.commands("RETR").contains("RETR " + kExe));
        QCOMPARE(server.commands("CONNECT").size(), 1);

        qInfo("ticks while checking %d, of them after the server's %s %d, paints %d; peak grew %lld kB", watch.ticks,
              qPrintable(waitVerb), watch.waitingTicks, watch.paints, memory.peakGrowthKb());
        // The loop ran and painted while the check waited for this server.
        QVERIFY(watch.waitingTicks >= 1);
        QVERIFY(watch.paints >= 1);
        if (serverArgs.contains("--stall-after-greeting")) QVERIFY(watch.waitingTicks >= 10);
        QVERIFY2(memory.peakGrowthKb() < hostile::kMemoryBoundKb, qPrintable(QString::number(memory.peakGrowthKb())));
    }

    // The same servers without the window: the outcome, the steps and the files in detail.
    void hostileVersionFile_outcome_data() {
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<QString>("published");
        QTest::addColumn<QByteArray>("publishedBytes");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QByteArray>("report");

        const qint64 limit = kovalt::kMaxVersionFileBytes;
        // LF line ends throughout, which reach the file byte for byte.
        QTest::newRow("exactly the limit is read")
            << QStringList{"--big-retr", kVer, QString::number(limit)} << "newer-lf.ver" << QByteArray() << "A"
            << Report("2026-03-14 09:26:54");
        QTest::newRow("one byte over the limit") << QStringList{"--big-retr", kVer, QString::number(limit + 1)}
                                                 << "newer-lf.ver" << QByteArray() << "E" << kOldReport;
        QTest::newRow("100 MB") << QStringList{"--big-retr", kVer, QString::number(100 * 1024 * 1024)} << "newer.ver"
                                << QByteArray() << "E" << kOldReport;
        QTest::newRow("first line of 1 MB, newer version")
            << QStringList{"--long-first-line", kVer, QString::number(1024 * 1024)} << "newer.ver" << QByteArray()
            << "A" << Report("2026-03-14 09:26:54");
        QTest::newRow("binary garbage") << QStringList{"--garbage-retr", kVer, QString::number(64 * 1024)} << QString()
                                        << QByteArray() << "E" << kOldReport;
        // Everything of a version file announcing a newer build, and one NUL.
        QTest::newRow("a newer version beside a NUL")
            << QStringList() << QString()
            << QByteArrayLiteral("Kovalt05 update\0\r\nsetupkovalt05.exe\t5.0.12\t2026-03-14 09:26:54\r\n") << "E"
            << kOldReport;
        // LF line ends: a text transfer would take the CR of a UTF-16 CR LF for a line end of its own.
        QTest::newRow("a newer version in UTF-16 beside a NUL")
            << QStringList() << QString() << QByteArrayLiteral("\xFF\xFEK\0\0\0\n\0x\0\t\0x\0\t\0\x39\0\n\0") << "E"
            << kOldReport;
    }

    void hostileVersionFile_outcome() {
        QFETCH(QStringList, serverArgs);
        QFETCH(QString, published);
        QFETCH(QByteArray, publishedBytes);
        QFETCH(QString, outcome);
        QFETCH(QByteArray, report);

        if (!published.isEmpty()) QVERIFY(site->publishData(published));
        if (!publishedBytes.isEmpty()) QVERIFY(site->publish(kVer, publishedBytes));
        const QByteArray installer = AwkwardBytes(5000);
        QVERIFY(site->publish(kExe, installer));
        QVERIFY(WriteAll(site->at("verze.log"), kOldReport));
        FtpFixture server(site->server.path(), site->serverLog(), serverArgs);
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));

        const hostile::MemoryWatch memory;
        TestHost host;
        host.dir = site->programDir();
        kovalt::IdFtp ftp;
        host.Attach(ftp);
        QCOMPARE(kovalt::KontrolaNV(host, ftp), outcome);

        QCOMPARE(ReadAll(site->at("verze.log")), report);
        QVERIFY(!ftp.Connected());
        QVERIFY(!QFile::exists(site->at(kVer + ".part")));
        if (outcome == "A") {
            QCOMPARE(host.events.first(), QStringLiteral("progress shown"));
            QCOMPARE(host.events.last(), QStringLiteral("terminate"));
            QCOMPARE(ReadAll(site->at(kExe)), installer);
        } else {
            QCOMPARE(host.events, EndE());
            QVERIFY(!QFile::exists(site->at(kExe)));
            QVERIFY(!server.commands("RETR").contains("RETR " + kExe));
        }
        if (serverArgs.value(0) == "--big-retr" && outcome == "E") QVERIFY(!QFile::exists(site->at(kVer)));
        QVERIFY2(memory.peakGrowthKb() < hostile::kMemoryBoundKb, qPrintable(QString::number(memory.peakGrowthKb())));
    }

    // kovalt05-admin reports what the bar would do with the same server.
    void adminCheckUpdate_givesTheBarsOutcome_data() {
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<QString>("reason");

        QTest::newRow("100 MB version file")
            << QStringList{"--big-retr", kVer, QString::number(100 * 1024 * 1024)} << "is larger than 2097152 bytes";
        QTest::newRow("binary garbage") << QStringList{"--garbage-retr", kVer, QString::number(64 * 1024)}
                                        << "is not a text file";
    }

    void adminCheckUpdate_givesTheBarsOutcome() {
        QFETCH(QStringList, serverArgs);
        QFETCH(QString, reason);

        QVERIFY(site->publishData("newer.ver"));
        QVERIFY(site->publish(kExe, AwkwardBytes(4000)));
        FtpFixture server(site->server.path(), site->serverLog(), serverArgs);
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", temp.path());

        const AdminRun run = RunAdmin({"--dir", site->program.path(), "check-update"}, env);
        QVERIFY2(run.finished, qPrintable(run.err));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.value(2).section(u'\t', 0, 1), QStringLiteral("outcome\tE"));
        QVERIFY2(run.out.value(2).contains(reason), qPrintable(run.out.join('\n')));
        QVERIFY(!server.commands("RETR").contains("RETR " + kExe));
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }

    // The client's own cap: the transfer ends at the limit, the file does not appear, the
    // connection is given up, and a new one works.
    void idftpGet_limit_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("binary");
        QTest::addColumn<bool>("fits");

        QTest::newRow("text, at the limit") << 300000 << 300000 << false << true;
        QTest::newRow("text, one byte over") << 300001 << 300000 << false << false;
        QTest::newRow("binary, far over") << 3000000 << 100000 << true << false;
        QTest::newRow("empty file, limit 0") << 0 << 0 << true << true;
    }

    void idftpGet_limit() {
        QFETCH(int, size);
        QFETCH(int, limit);
        QFETCH(bool, binary);
        QFETCH(bool, fits);

        // A text transfer turns CR and CR LF into LF; without CR the file arrives as it is.
        QByteArray bytes = AwkwardBytes(2 * size).replace('\r', "");
        bytes.truncate(size);
        QCOMPARE(bytes.size(), size);
        QVERIFY(site->publish("data.bin", bytes));
        FtpFixture server(site->server.path(), site->serverLog(), {"--ascii-verbatim"});
        QVERIFY2(server.ok(), qPrintable(server.error()));
        kovalt::IdFtp ftp;
        ftp.Host = "127.0.0.1";
        ftp.Port = server.port();
        ftp.Username = "kovalt";
        ftp.Password = "heslo";
        ftp.Connect();
        ftp.ChangeDir("trenix/kovalt05");
        const QString target = site->at("data.bin");
        if (fits) {
            ftp.Get("data.bin", target, binary, limit);
            QCOMPARE(ReadAll(target), bytes);
            QVERIFY(ftp.Connected());
        } else {
            QVERIFY_THROWS_EXCEPTION(kovalt::FtpFileTooLarge, ftp.Get("data.bin", target, binary, limit));
            QVERIFY(!QFile::exists(target));
            QVERIFY(!QFile::exists(target + ".part"));
            QVERIFY(!ftp.Connected());
            ftp.Connect();
            ftp.ChangeDir("trenix/kovalt05");
            ftp.Get("data.bin", target, binary);
            QCOMPARE(ReadAll(target), bytes);
        }
        ftp.Disconnect();
    }
};

QTEST_MAIN(TestHostileUpdate)
#include "tst_hostile_update.moc"
