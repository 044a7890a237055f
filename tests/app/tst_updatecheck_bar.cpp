// The update check on the real bar, against a real FTP server on 127.0.0.1.

#include "tests/app/updatebar.h"
#include "tests/update/updatetesthelpers.h"

#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "util/fileutil.h"
#include "util/ini.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using kovalt::MessageBox;
using namespace updatetest;

class TestUpdateCheckBar : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<UpdateSite> site;

    std::unique_ptr<TForm3> makeBar() { return MakeUpdateBar(*site); }

    QString stored(const QString& key) const
    {
        return kovalt::IniFileReadString(site->at("kovalt05.ini"), "TForm3", key, "<none>");
    }

    static QStringList texts()
    {
        QStringList out;
        for (const MessageBox::Shown& s : MessageBox::shown())
            out << s.title + ": " + s.text;
        return out;
    }

    static bool checkOver(TForm3* bar)
    {
        return bar->State() != TForm3::RunState::Waiting && bar->State() != TForm3::RunState::Checking &&
               bar->State() != TForm3::RunState::Filling;
    }

private slots:
    void init()
    {
        MessageBox::clearShown();
        site = std::make_unique<UpdateSite>();
        QVERIFY(site->prepare());
    }

    void cleanup()
    {
        kovalt::Tiles().ReleaseControlsNow();
        MessageBox::clearShown();
        kovalt::SetProgramDirOverride(QString());
        qunsetenv("ARGDUMP_OUT");
        site.reset();
    }

    void outcome_N_or_E_endsWithTheReadyIndicator_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("N: remote equal to local") << "equal.ver" << "heslo" << QStringList();
        QTest::newRow("E: login rejected") << "equal.ver" << "spatne" << QStringList{"Kovalt05: " + kErrorText};
    }

    void outcome_N_or_E_endsWithTheReadyIndicator()
    {
        QFETCH(QString, version);
        QFETCH(QString, password);
        QFETCH(QStringList, messages);
        QVERIFY(site->publishData(version));
        FtpFixture server(site->server.path(), site->serverLog());
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port(), {{"FTPpassword", password}}));
        if (!messages.isEmpty())
            MessageBox::setNextAnswer(MessageBox::ResultOk);

        auto bar = makeBar();
        bar->show();
        QTRY_VERIFY_WITH_TIMEOUT(checkOver(bar.get()), 30000);
        QCOMPARE(bar->State(), TForm3::RunState::Ready);
        QVERIFY(bar->Ready());
        QVERIFY(bar->JvProgressBar1->isHidden());
        QVERIFY(bar->JvProgressBar1->value() >= 1 && bar->JvProgressBar1->value() <= 100);
        QCOMPARE(texts(), messages);
        QVERIFY(!bar->Timer1->isActive());
        QVERIFY(bar->isVisible());
        QCOMPARE(server.commands("CONNECT").size(), 1);
        // The gate is open: the close picture closes the bar.
        QTest::mouseClick(bar->JvImage2, Qt::LeftButton);
        QVERIFY(!bar->isVisible());
    }

    void developerMarker_skipsTheCheck()
    {
        QVERIFY(updatetest::WriteAll(site->at("unit3.cpp"), "// marker"));
        // A server that would answer; the check must not ask it.
        QVERIFY(site->publishData("newer.ver"));
        FtpFixture server(site->server.path(), site->serverLog());
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));
        const QStringList before = site->files();

        auto bar = makeBar();
        bar->show();
        QVERIFY(!bar->JvProgressBar1->isHidden()); // server mode shows it while it waits
        QTRY_VERIFY_WITH_TIMEOUT(bar->Ready(), 5000);
        QCOMPARE(bar->State(), TForm3::RunState::Ready);
        QVERIFY(bar->JvProgressBar1->isHidden());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(site->files(), before);
        QVERIFY(server.commands("CONNECT").isEmpty());
    }

    void outcome_A_startsTheInstallerAndEndsWithoutTheCloseSequence()
    {
        QVERIFY(site->publishData("newer.ver"));
        QVERIFY(site->publish("setupkovalt05.exe", ReadAll(qEnvironmentVariable("KOVALT_ARGDUMP"))));
        FtpFixture server(site->server.path(), site->serverLog());
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));
        const QString dump = site->server.path() + "/argdump.out";
        qputenv("ARGDUMP_OUT", dump.toUtf8());
        MessageBox::setNextAnswer(MessageBox::ResultOk);

        auto bar = makeBar();
        bar->show();
        bar->move(300, 200);
        // The program's own loop: the hand-off must end it, with the normal exit code.
        QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);

        QCOMPARE(bar->State(), TForm3::RunState::Ending);
        QCOMPARE(bar->ExitCode(), 0);
        QVERIFY(!bar->Ready());
        QVERIFY(bar->JvProgressBar1->isHidden());
        QCOMPARE(texts(), QStringList{"Kovalt05: " + kHandOffText});
        QCOMPARE(ReadAll(site->at("setupkovalt05.exe")), ReadAll(qEnvironmentVariable("KOVALT_ARGDUMP")));
        const kovalt::TextFile log = kovalt::ReadTextFile(site->at("updlog/kovalt05.log"));
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines[0].endsWith(" - NOVÁ VERZE programu"), qPrintable(log.lines[0]));

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);
        const QStringList dumped = QString::fromUtf8(ReadAll(dump)).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(dumped.size(), 3);
        QCOMPARE(dumped[1], QFileInfo(site->at("setupkovalt05.exe")).canonicalFilePath());
        QCOMPARE(dumped[2], "/DIR=" + site->programDir());

        // FormClose never ran; the destruction saves the position only.
        QCOMPARE(stored("AlphaBlendValue"), QString("<none>"));
        QCOMPARE(stored("FontColor"), QString("<none>"));
        bar.reset();
        QCOMPARE(stored("AlphaBlendValue"), QString("<none>"));
        QVERIFY2(stored("NormPos").startsWith("300,200,"), qPrintable(stored("NormPos")));
    }

    void slowCheck_keepsTheBarAnsweringAndSurvivesAClose()
    {
        QVERIFY(site->publishData("newer.ver"));
        QVERIFY(site->publish("setupkovalt05.exe", "installer"));
        FtpFixture server(site->server.path(), site->serverLog(), {"--delay-login", "3"});
        QVERIFY2(server.ok(), qPrintable(server.error()));
        QVERIFY(site->writeIni(server.port()));

        auto bar = makeBar();
        TForm3* b = bar.get();
        bool checkingThen = false;
        bool progressThen = false;
        int opacityThen = -1;
        bool stillOpenAfterPicture = false;
        // Runs from the check's own waiting, once the server has the connection.
        QTimer::singleShot(1500, b, [&] {
            checkingThen = b->State() == TForm3::RunState::Checking;
            progressThen = !b->JvProgressBar1->isHidden();
            const QPoint global(b->x() + 100, b->y() + 5);
            QWheelEvent ev(QPointF(100, 5), QPointF(global), QPoint(), QPoint(0, -120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(b, &ev);
            opacityThen = b->Opacity();
            // The gated close picture does nothing; the window system's close does.
            QTest::mouseClick(b->JvImage2, Qt::LeftButton);
            stillOpenAfterPicture = b->isVisible();
            b->close();
        });
        bar->show();
        QTRY_VERIFY_WITH_TIMEOUT(checkingThen && !bar->isVisible() && !bar->JvImage1->isHidden(), 20000);
        QVERIFY(progressThen);
        QVERIFY(opacityThen < 255);
        QVERIFY(stillOpenAfterPicture);
        QCOMPARE(bar->State(), TForm3::RunState::Ending);
        // The close stopped the check: no message, nothing downloaded or started.
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(texts().join('\n')));
        QVERIFY(!QFile::exists(site->at("setupkovalt05.exe")));
        QVERIFY(!QFile::exists(site->at("updlog")));
        QVERIFY(server.commands("RETR").isEmpty());
        // The close sequence ran with the opacity of that moment.
        QCOMPARE(stored("AlphaBlendValue"), QString::number(opacityThen));
    }
};

QTEST_MAIN(TestUpdateCheckBar)
#include "tst_updatecheck_bar.moc"
