#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "util/fileutil.h"
#include "util/ini.h"
#include "db/mariadbinfo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class TestStartup : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    MariaDbInfo db;

    // kovalt05.ini with its LogON block on the fixture server, or on a port where nobody listens.
    void writeLogon(bool reachable)
    {
        int port = db.port;
        if (!reachable) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        QByteArray ini = QStringLiteral("[LogON]\r\n;Alfa\r\nIP=127.0.0.1\r\nUser=%1\r\nPassword=%2\r\nDatabase=%3\r\nSQLport=%4\r\n")
                             .arg(db.user, db.password, db.database)
                             .arg(port)
                             .toUtf8();
        QFile old(dir->filePath("kovalt05.ini"));
        if (old.open(QIODevice::ReadOnly)) {
            // Keep the data set's other sections, drop its own LogON block.
            bool inLogon = false;
            for (const QByteArray& line : old.readAll().split('\n')) {
                const QByteArray t = line.trimmed();
                if (t.startsWith('[')) inLogon = t.compare("[LogON]", Qt::CaseInsensitive) == 0;
                if (!inLogon && !t.isEmpty()) ini += t + "\r\n";
            }
            old.close();
        }
        QFile f(dir->filePath("kovalt05.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
    }

    // A bar whose program directory is a fresh temporary one, holding the named data set.
    std::unique_ptr<TForm3> makeBar(const QStringList& args = {}, bool control = false,
                                    const QString& data = QString(), bool reachable = true)
    {
        dir = std::make_unique<QTemporaryDir>();
        // The developer marker: the update check asks no server.
        QFile(dir->filePath("unit3.cpp")).open(QIODevice::WriteOnly);
        if (!data.isEmpty()) {
            const QDir from(qEnvironmentVariable("KOVALT_TEST_DATA") + "/app/" + data);
            for (const QString& f : from.entryList(QDir::Files))
                QFile::copy(from.filePath(f), dir->filePath(f));
        }
        writeLogon(reachable);
        kovalt::SetProgramDirOverride(dir->path() + "/");
        auto bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(dir->path() + "/", "kovalt05.exe");
        bar->SetArguments(QStringList{"kovalt05.exe"} + args);
        bar->SetControlKeyProbe([control] { return control; });
        return bar;
    }

    int stored(const QString& key) const
    {
        return kovalt::IniFileReadInt(dir->filePath("kovalt05.ini"), "TForm3", key, -12345);
    }

private slots:
    void initTestCase()
    {
        db = MariaDbInfo::load();
        QVERIFY2(db.valid(), qPrintable(db.error));
    }

    void init()
    {
        kovalt::Tiles().ServerMode = false;
        kovalt::Tiles().Connected = false;
        kovalt::MessageBox::clearShown();
    }

    void cleanup() { kovalt::SetProgramDirOverride(QString()); }

    void window_hasItsDefinedProperties()
    {
        auto bar = makeBar();
        QCOMPARE(Form3, bar.get());
        QCOMPARE(bar->windowTitle(), QString("Kovalt05"));
        QVERIFY(bar->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(bar->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(bar->windowType(), Qt::Window);
        QVERIFY(bar->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(bar->size(), QSize(280, 47));
        QCOMPARE(bar->font().family(), QString("Verdana"));
        QCOMPARE(bar->font().pixelSize(), 12);
        QCOMPARE(bar->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(bar->Panel1->palette().color(QPalette::Window), QColor(183, 255, 183));
        QCOMPARE(bar->Label1->text(), QString("Kovalt05"));
        QCOMPARE(bar->Label1->font().family(), QString("Tahoma"));
        QCOMPARE(bar->Label1->font().pixelSize(), 13);
        QVERIFY(bar->Label1->font().bold());
        QCOMPARE(bar->Timer1->interval(), 1000);
        QVERIFY(!bar->Timer1->isActive());
        // FormCreate: the drag threshold and the title cursor.
        QCOMPARE(QApplication::startDragDistance(), 10);
        QCOMPARE(bar->Label1->cursor().pixmap().size(), QSize(32, 32));
        QCOMPARE(bar->Label1->cursor().hotSpot(), QPoint(0, 0));
    }

    void fixedControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QSize>("picture");
        // Children of Panel1 count from inside its one-pixel border.
        QTest::newRow("Panel1") << "Panel1" << QRect(20, 0, 200, 47) << true << QSize();
        QTest::newRow("Label1") << "Label1" << QRect(17, 1, 138, 16) << true << QSize();
        QTest::newRow("JvImage1 ready") << "JvImage1" << QRect(51, 28, 83, 15) << false << QSize(83, 15);
        QTest::newRow("JvImage2 close") << "JvImage2" << QRect(161, 3, 16, 16) << true << QSize(16, 16);
        QTest::newRow("JvImage3 up") << "JvImage3" << QRect(3, 3, 16, 16) << false << QSize(16, 16);
        QTest::newRow("JvImage4 down") << "JvImage4" << QRect(3, 28, 16, 16) << false << QSize(16, 16);
        QTest::newRow("JvImage5 minimise") << "JvImage5" << QRect(181, 3, 16, 16) << true << QSize(16, 16);
        QTest::newRow("JvProgressBar1") << "JvProgressBar1" << QRect(25, 19, 143, 10) << false << QSize();
    }

    void fixedControls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(bool, shown);
        QFETCH(QSize, picture);
        auto bar = makeBar();
        QWidget* control = bar->findChild<QWidget*>(name);
        QVERIFY(control);
        // The design places; showing fills the column, which sets the bar's width from its tiles.
        QCOMPARE(control->geometry(), rect);
        QCOMPARE(control->isHidden(), !shown);
        bar->Timer1->setInterval(60000); // keep the ready indicator hidden
        bar->show();
        QCOMPARE(control->isHidden(), !shown);
        if (picture.isValid()) {
            auto* p = qobject_cast<kovalt::Picture*>(control);
            QVERIFY(p);
            QCOMPARE(p->Pixmap().size(), picture);
            QVERIFY(p->Pixmap().hasAlphaChannel());
        }
    }

    void anchoredControls_followTheBarsSize()
    {
        auto bar = makeBar();
        bar->show();
        bar->resize(230, 100);
        QCOMPARE(bar->Panel1->geometry(), QRect(20, 0, 150, 100));
        QCOMPARE(bar->Label1->geometry(), QRect(17, 1, 88, 16));
        QCOMPARE(bar->JvImage2->geometry(), QRect(111, 3, 16, 16));
        QCOMPARE(bar->JvImage5->geometry(), QRect(131, 3, 16, 16));
        QCOMPARE(bar->JvImage3->geometry(), QRect(3, 3, 16, 16));
        // Their tops follow Panel1: its height - 20.
        QCOMPARE(bar->JvImage1->geometry(), QRect(1, 81, 83, 15));
        QCOMPARE(bar->JvImage4->geometry(), QRect(3, 81, 16, 16));
        QCOMPARE(bar->JvProgressBar1->geometry(), QRect(25, 72, 93, 10));
    }

    void modeSelection_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("control");
        QTest::addColumn<bool>("serverMode");
        QTest::newRow("no argument") << QStringList{} << false << false;
        QTest::newRow("/V") << QStringList{"/V"} << false << true;
        QTest::newRow("small v") << QStringList{"/v"} << false << true;
        QTest::newRow("/V as the second argument") << QStringList{"x", "/V"} << false << false;
        QTest::newRow("minus instead of slash") << QStringList{"-V"} << false << false;
        QTest::newRow("a character after the V") << QStringList{"/VX"} << false << false;
        QTest::newRow("/V with more arguments") << QStringList{"/v", "x"} << false << true;
        QTest::newRow("Control alone") << QStringList{} << true << true;
        QTest::newRow("Control with /V") << QStringList{"/V"} << true << true;
        QTest::newRow("Control with another argument") << QStringList{"-V"} << true << true;
    }

    void modeSelection()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, control);
        QFETCH(bool, serverMode);
        auto bar = makeBar(args, control);
        QSignalSpy selected(bar.get(), &TForm3::modeSelected);
        bar->show();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().first().toBool(), serverMode);
        QCOMPARE(kovalt::Tiles().ServerMode, serverMode);
        // Module mode ran the connection test.
        QCOMPARE(kovalt::Tiles().Connected, !serverMode);
        QVERIFY(bar->Timer1->isActive());
        QCOMPARE(bar->State(), TForm3::RunState::Waiting);

        bar->hide();
        bar->show();
        QCOMPARE(selected.size(), 1);
    }

    void timer_runsTheCheckOnceAfterOneSecond()
    {
        auto bar = makeBar();
        QElapsedTimer clock;
        clock.start();
        bar->show();
        QVERIFY(!bar->Ready());
        QTRY_VERIFY_WITH_TIMEOUT(bar->Ready(), 5000);
        QVERIFY(clock.elapsed() >= 1000);
        QVERIFY(!bar->Timer1->isActive());
        QCOMPARE(bar->State(), TForm3::RunState::Ready);
    }

    void gate_closeAndMinimiseWaitForTheReadyIndicator()
    {
        auto bar = makeBar();
        bar->show();
        QTest::mouseClick(bar->JvImage5, Qt::LeftButton);
        QVERIFY(!bar->isMinimized());
        QTest::mouseClick(bar->JvImage2, Qt::LeftButton);
        QVERIFY(bar->isVisible());
        QCOMPARE(stored("AlphaBlendValue"), -12345);

        QTRY_VERIFY_WITH_TIMEOUT(bar->Ready(), 5000);
        QTest::mouseClick(bar->JvImage5, Qt::LeftButton);
        QTRY_VERIFY(bar->isMinimized());
        bar->showNormal();
        QTest::mouseClick(bar->JvImage2, Qt::LeftButton);
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->State(), TForm3::RunState::Ending);
        QCOMPARE(stored("AlphaBlendValue"), 255);
        QCOMPARE(stored("FontColor"), 16777215);
    }

    void windowSystemClose_worksBeforeReady()
    {
        auto bar = makeBar();
        bar->show();
        QVERIFY(!bar->Ready());
        QVERIFY(bar->close());
        QVERIFY(!bar->isVisible());
        QVERIFY(!bar->Timer1->isActive());
        QCOMPARE(stored("AlphaBlendValue"), 255);
    }

    void storedAppearance_isAppliedAndWrittenBack_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("module mode") << QStringList{};
        QTest::newRow("server mode") << QStringList{"/V"};
    }

    void storedAppearance_isAppliedAndWrittenBack()
    {
        QFETCH(QStringList, args);
        auto bar = makeBar(args, false, "stored");
        bar->show();
        // The stored 300 keeps its low 8 bits.
        QCOMPARE(bar->Opacity(), 44);
        QCOMPARE(qRound(bar->windowOpacity() * 255), 44);
        QCOMPARE(bar->TextColor(), 0);
        QCOMPARE(bar->palette().color(QPalette::WindowText), QColor(Qt::black));
        bar->SetOpacity(200);
        bar->close();
        QCOMPARE(stored("AlphaBlendValue"), 200);
        QCOMPARE(stored("FontColor"), 0);
    }

    void failedConnection_showsNoticeClosesAndEndsWithZero()
    {
        auto bar = makeBar({}, false, "stored", false);
        kovalt::Tiles().Connected = false;
        kovalt::MessageBox::setNextAnswer(kovalt::MessageBox::ResultYes);
        bar->NaplnExe();
        QCOMPARE(kovalt::MessageBox::shown().size(), 1);
        const auto& notice = kovalt::MessageBox::shown().first();
        QCOMPARE(notice.title, QString("Kovalt05"));
        QVERIFY(notice.text.startsWith("Se serverem SQL "));
        QVERIFY(notice.text.endsWith(" se nelze spojit!"));
        QCOMPARE(notice.buttons, QStringList{"OK"});
        QVERIFY(bar->Ending());
        QCOMPARE(bar->ExitCode(), 0);
        QVERIFY(!bar->Timer1->isActive());
        bar->show();
        QVERIFY(!bar->isVisible());
    }

    void endRun_whileFilling_neverShowsTheBar()
    {
        auto bar = makeBar();
        connect(bar.get(), &TForm3::modeSelected, bar.get(), [&bar] { bar->EndRun(0); });
        bar->show();
        QVERIFY(!bar->isVisible());
        QVERIFY(bar->Ending());
        QCOMPARE(bar->ExitCode(), 0);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
