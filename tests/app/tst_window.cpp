#include "db/mariadbinfo.h"
#include "app/application.h"
#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "modules/gradientpanel.h"
#include "modules/tilewidgets.h"
#include "util/fileutil.h"
#include "util/ini.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using kovalt::MessageBox;

class TestWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;

    void freshDir(const QByteArray& ini = QByteArray())
    {
        dir = std::make_unique<QTemporaryDir>();
        // The developer marker: the update check asks no server.
        QFile(dir->filePath("unit3.cpp")).open(QIODevice::WriteOnly);
        QVERIFY(dir->isValid());
        // Module mode needs a reachable database: the active block names the fixture server
        // unless the test brings its own.
        QByteArray content = ini;
        if (!content.contains("[LogON]")) {
            const MariaDbInfo db = MariaDbInfo::load();
            QVERIFY2(db.valid(), qPrintable(db.error));
            content.prepend(QStringLiteral("[LogON]\r\n;Alfa\r\nIP=127.0.0.1\r\nUser=%1\r\nPassword=%2\r\n"
                                           "Database=%3\r\nSQLport=%4\r\n")
                                .arg(db.user, db.password, db.database)
                                .arg(db.port)
                                .toUtf8());
        }
        QFile f(dir->filePath("kovalt05.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        // One module, so the column has a tile and the bar its working width of 230 pixels.
        QFile(dir->filePath("alfa.exe")).open(QIODevice::WriteOnly);
        QFile modules(dir->filePath("moduly.ini"));
        QVERIFY(modules.open(QIODevice::WriteOnly));
        modules.write("[Moduly]\r\n[01]\r\nModulnazev=Alfa\r\nModulexe={path}alfa.exe\r\n");
        modules.close();
        kovalt::SetProgramDirOverride(dir->path() + "/");
    }

    // After the start: a folder in the settings file's place, so reads give the defaults and every
    // write fails. Module mode needs the file at the start for its connection test.
    void makeStoreUnwritable()
    {
        QVERIFY(QFile::remove(dir->filePath("kovalt05.ini")));
        QVERIFY(QDir(dir->path()).mkdir("kovalt05.ini"));
    }

    // A bar of the program directory dir; module mode unless arguments say otherwise.
    std::unique_ptr<TForm3> makeBar(const QStringList& args = {})
    {
        auto bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(dir->path() + "/", "kovalt05.exe");
        bar->SetArguments(QStringList{"kovalt05.exe"} + args);
        bar->SetControlKeyProbe([] { return false; });
        return bar;
    }

    QString stored(const QString& key) const
    {
        return kovalt::IniFileReadString(dir->filePath("kovalt05.ini"), "TForm3", key, "<none>");
    }

    static void wheel(TForm3* bar, int yBelowTop, int angle)
    {
        const QPoint global(bar->x() + 100, bar->y() + yBelowTop);
        QWheelEvent ev(QPointF(100, yBelowTop), QPointF(global), QPoint(), QPoint(0, angle), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &ev);
    }

    static void makeReady(TForm3* bar) { QTRY_VERIFY_WITH_TIMEOUT(bar->Ready(), 5000); }

private slots:
    void init()
    {
        kovalt::Tiles().ServerMode = false;
        kovalt::Tiles().Connected = false;
        MessageBox::clearShown();
    }

    void cleanup()
    {
        kovalt::Tiles().ReleaseControlsNow();
        MessageBox::clearShown();
        kovalt::SetProgramDirOverride(QString());
    }

    void closeSequence_storesPlaceOpacityAndColour_nextStartShowsThem()
    {
        freshDir();
        {
            auto bar = makeBar();
            bar->show();
            bar->move(300, 400);
            for (int i = 0; i < 14; ++i)
                wheel(bar.get(), 5, -120);
            QCOMPARE(bar->Opacity(), 185);
            makeReady(bar.get());
            QTest::mouseClick(bar->JvImage2, Qt::LeftButton);
            QVERIFY(!bar->isVisible());
        }
        QCOMPARE(stored("NormPos(1920x1080)"), QString("300,400,530,482"));
        QCOMPARE(stored("NormPos"), QString("300,400,530,482"));
        QCOMPARE(stored("MinMaxPos"), QString("-1,-1,-1,-1"));
        QCOMPARE(stored("PixelsPerInch"), QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch())));
        QCOMPARE(stored("ShowCmd"), QString("1"));
        // Destruction does not save again after the close did.
        QCOMPARE(stored("Visible"), QString("0"));
        QCOMPARE(stored("AlphaBlendValue"), QString("185"));
        QCOMPARE(stored("FontColor"), QString("0"));
        QVERIFY(MessageBox::shown().isEmpty());

        auto again = makeBar();
        again->show();
        QCOMPARE(again->pos(), QPoint(300, 400));
        QCOMPARE(again->size(), QSize(230, 82));
        QCOMPARE(again->Opacity(), 185);
        QCOMPARE(qRound(again->windowOpacity() * 255), 185);
        QCOMPARE(again->TextColor(), 0);
        QCOMPARE(again->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void storedOpacity_takesItsLowEightBits_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("colour");
        QTest::newRow("300 gives 44") << QByteArray("[TForm3]\r\nAlphaBlendValue=300\r\nFontColor=0\r\n") << 44 << 0;
        QTest::newRow("-1 gives 255") << QByteArray("[TForm3]\r\nAlphaBlendValue=-1\r\n") << 255 << 16777215;
        QTest::newRow("no file: opaque, white") << QByteArray() << 255 << 16777215;
        QTest::newRow("not a number: the defaults") << QByteArray("[TForm3]\r\nAlphaBlendValue=x\r\nFontColor=y\r\n")
                                                     << 255 << 16777215;
    }

    void storedOpacity_takesItsLowEightBits()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, opacity);
        QFETCH(int, colour);
        freshDir(ini);
        auto bar = makeBar();
        bar->show();
        QCOMPARE(bar->Opacity(), opacity);
        QCOMPARE(qRound(bar->windowOpacity() * 255), opacity);
        QCOMPARE(bar->TextColor(), colour);
    }

    void failedModuleStart_keepsStoredAppearance()
    {
        freshDir("[LogON]\r\nIP=127.0.0.1\r\n[TForm3]\r\nNormPos=100,200\r\nAlphaBlendValue=100\r\nFontColor=0\r\n");
        auto bar = makeBar();
        // What show does before a module fill that finds no database.
        bar->RestorePlacement();
        QCOMPARE(bar->pos(), QPoint(100, 200));
        kovalt::Tiles().Connected = false;
        MessageBox::setNextAnswer(MessageBox::ResultYes);
        bar->NaplnExe();
        QVERIFY(bar->Ending());
        QCOMPARE(stored("AlphaBlendValue"), QString("100"));
        QCOMPARE(stored("FontColor"), QString("0"));
        // The position is still written back.
        QCOMPARE(stored("NormPos"), QString("100,200,380,247"));
        QCOMPARE(stored("Visible"), QString("0"));
    }

    void unwritableStore_isReportedOnce_andTheBarCloses()
    {
        freshDir();
        const QString path = QDir::toNativeSeparators(dir->filePath("kovalt05.ini"));
        auto bar = makeBar();
        bar->show();
        makeStoreUnwritable();
        makeReady(bar.get());
        for (int i = 0; i < 4; ++i)
            MessageBox::setNextAnswer(MessageBox::ResultOk);
        bar->WMQueryEndSession();
        QTest::mouseClick(bar->JvImage2, Qt::LeftButton);
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->State(), TForm3::RunState::Ending);
        bar.reset();
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& report = MessageBox::shown().first();
        QCOMPARE(report.title, kovalt::Application::TitleFromProgramFile(
                                   QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
        QCOMPARE(report.text, "Unable to write to " + path + ".");
        QCOMPARE(report.icon, MessageBox::Icon::Error);
    }

    void windowSystemClose_withUnwritableStore_closesToo()
    {
        freshDir();
        auto bar = makeBar();
        bar->show();
        makeStoreUnwritable();
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        QVERIFY(bar->close());
        QVERIFY(!bar->isVisible());
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void sessionEnd_savesThePositionOnly()
    {
        freshDir("[TForm3]\r\nAlphaBlendValue=120\r\n");
        auto bar = makeBar();
        bar->show();
        // The store listens to the session's end.
        QVERIFY(disconnect(qApp, &QGuiApplication::commitDataRequest, bar.get(), nullptr));
        bar->move(500, 600);
        bar->SetOpacity(80);
        bar->WMQueryEndSession();
        QCOMPARE(stored("NormPos"), QString("500,600,730,682"));
        QCOMPARE(stored("Visible"), QString("0"));
        QCOMPARE(stored("AlphaBlendValue"), QString("120"));
    }

    void destruction_savesWhenNothingWasSavedSinceTheRestore()
    {
        freshDir();
        {
            auto bar = makeBar();
            bar->show();
            bar->move(40, 50);
            // The installer hand-off ends the run without closing the bar.
            bar->EndRun(0);
        }
        QCOMPARE(stored("NormPos"), QString("40,50,270,132"));
        QCOMPARE(stored("Visible"), QString("1"));
        QCOMPARE(stored("AlphaBlendValue"), QString("<none>"));
    }

    void move_endsWithSnapping_data()
    {
        QTest::addColumn<bool>("byTitle");
        QTest::addColumn<QPoint>("dropped");
        QTest::addColumn<QPoint>("expected");
        // The bar is 230 pixels wide on a 1920-pixel screen.
        QTest::newRow("left 14 snaps to 0") << true << QPoint(14, 300) << QPoint(0, 300);
        QTest::newRow("left 15 stays") << true << QPoint(15, 300) << QPoint(15, 300);
        QTest::newRow("left 1676 snaps to the right edge") << true << QPoint(1676, 300) << QPoint(1690, 300);
        QTest::newRow("left 1675 stays") << true << QPoint(1675, 300) << QPoint(1675, 300);
        QTest::newRow("top 14 snaps to 0") << true << QPoint(600, 14) << QPoint(600, 0);
        QTest::newRow("top -40 snaps to 0") << true << QPoint(600, -40) << QPoint(600, 0);
        QTest::newRow("near the bottom stays") << true << QPoint(600, 1070) << QPoint(600, 1070);
        QTest::newRow("past the right edge") << true << QPoint(2500, 300) << QPoint(1690, 300);
        QTest::newRow("by the bar's own surface") << false << QPoint(10, 5) << QPoint(0, 0);
    }

    void move_endsWithSnapping()
    {
        QFETCH(bool, byTitle);
        QFETCH(QPoint, dropped);
        QFETCH(QPoint, expected);
        freshDir();
        auto bar = makeBar();
        bar->show();
        bar->resize(230, 47);
        bar->move(800, 500);
        // Left of Panel1 lies the bar's own surface.
        QWidget* grip = byTitle ? static_cast<QWidget*>(bar->Label1) : bar.get();
        const QPoint at = byTitle ? QPoint(40, 8) : QPoint(10, 20);
        const QPoint to = at + dropped - bar->pos();
        QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(grip, to);
        QCOMPARE(bar->pos(), dropped);
        QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, to);
        QCOMPARE(bar->pos(), expected);
        QCOMPARE(bar->size(), QSize(230, 47));
        // The move is over: the pointer no longer drags the bar.
        QTest::mouseMove(grip, to + QPoint(30, 30));
        QCOMPARE(bar->pos(), expected);
    }

    void pressOnPanel1_doesNotMoveTheBar()
    {
        freshDir();
        auto bar = makeBar();
        bar->show();
        bar->move(800, 500);
        QTest::mousePress(bar->Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(100, 40));
        QTest::mouseMove(bar->Panel1, QPoint(20, 40));
        QTest::mouseRelease(bar->Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QCOMPARE(bar->pos(), QPoint(800, 500));
    }

    void title_getsItsCursorBackAtEveryMove()
    {
        freshDir();
        auto bar = makeBar();
        bar->show();
        bar->Label1->setCursor(Qt::ArrowCursor);
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 5), bar->Label1->mapToGlobal(QPointF(10, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar->Label1, &move);
        QCOMPARE(bar->Label1->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(bar->Label1->cursor().pixmap().cacheKey(), Cursor_1().pixmap().cacheKey());
    }

    void wheelOverTitle_fadesAndSwitchesTextColour()
    {
        freshDir();
        auto bar = makeBar();
        bar->show();
        auto* panel = new kovalt::GradientPanel(bar.get());
        auto* caption = new kovalt::TileCaption(panel);
        kovalt::Tiles().Panels[3] = panel;
        kovalt::Tiles().Captions[3] = caption;
        QCOMPARE(bar->Opacity(), 255);
        for (int i = 1; i <= 13; ++i)
            wheel(bar.get(), 0, -120);
        QCOMPARE(bar->Opacity(), 190);
        QCOMPARE(bar->TextColor(), 16777215);
        wheel(bar.get(), 0, -120); // the fourteenth notch
        QCOMPARE(bar->Opacity(), 185);
        QCOMPARE(bar->TextColor(), 0);
        QCOMPARE(bar->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(panel->HeadingColor(), QColor(Qt::black));
        QCOMPARE(caption->TextColor(), QColor(Qt::black));
        QCOMPARE(qRound(bar->windowOpacity() * 255), 185);
        for (int i = 0; i < 40; ++i)
            wheel(bar.get(), 0, -120);
        QCOMPARE(bar->Opacity(), 50);
        // Up the other way: white again from 190, no higher than 245.
        for (int i = 0; i < 27; ++i)
            wheel(bar.get(), 0, 120);
        QCOMPARE(bar->Opacity(), 185);
        QCOMPARE(bar->TextColor(), 0);
        wheel(bar.get(), 0, 120);
        QCOMPARE(bar->Opacity(), 190);
        QCOMPARE(bar->TextColor(), 16777215);
        QCOMPARE(caption->TextColor(), QColor(Qt::white));
        QCOMPARE(panel->HeadingColor(), QColor(Qt::white));
        for (int i = 0; i < 20; ++i)
            wheel(bar.get(), 0, 120);
        QCOMPARE(bar->Opacity(), 245);
        // Two notches in one event step twice; a half notch waits for its other half.
        bar->SetOpacity(53);
        wheel(bar.get(), 3, -240);
        QCOMPARE(bar->Opacity(), 48);
        wheel(bar.get(), 3, -60);
        QCOMPARE(bar->Opacity(), 48);
        QCOMPARE(bar->TextColor(), 0);
    }

    void wheelZone_data()
    {
        QTest::addColumn<int>("below");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("opacity");
        QTest::newRow("15 below the top, toward the user: fades") << 15 << -120 << 195;
        QTest::newRow("15 below the top, away: fades up") << 15 << 120 << 205;
        QTest::newRow("16 below the top, toward the user: scrolls") << 16 << -120 << 200;
        QTest::newRow("16 below the top, away: scrolls") << 16 << 120 << 200;
        QTest::newRow("over the tiles: scrolls") << 40 << -120 << 200;
    }

    void wheelZone()
    {
        QFETCH(int, below);
        QFETCH(int, angle);
        QFETCH(int, opacity);
        freshDir();
        auto bar = makeBar();
        bar->show();
        bar->move(100, 300);
        bar->SetOpacity(200);
        NastavBarvuPisma(16777215);
        wheel(bar.get(), below, angle);
        QCOMPARE(bar->Opacity(), opacity);
        QCOMPARE(bar->TextColor(), 16777215);
    }

    void minimiseAndClose_onlyWhenReady_data()
    {
        QTest::addColumn<bool>("ready");
        QTest::addColumn<bool>("minimise");
        QTest::newRow("minimise before ready: nothing") << false << true;
        QTest::newRow("close before ready: nothing") << false << false;
        QTest::newRow("minimise when ready") << true << true;
        QTest::newRow("close when ready") << true << false;
    }

    void minimiseAndClose_onlyWhenReady()
    {
        QFETCH(bool, ready);
        QFETCH(bool, minimise);
        freshDir();
        auto bar = makeBar();
        bar->Timer1->setInterval(60000); // the update check waits; only the test opens the gate
        bar->show();
        QVERIFY(!bar->Ready());
        if (ready)
            bar->JvImage1->show();
        QTest::mouseClick(minimise ? bar->JvImage5 : bar->JvImage2, Qt::LeftButton);
        if (minimise) {
            QTRY_COMPARE(bar->isMinimized(), ready);
            QVERIFY(bar->isVisible());
        } else {
            QCOMPARE(bar->isVisible(), !ready);
            QCOMPARE(stored("NormPos") != "<none>", ready);
        }
    }
};

int main(int argc, char** argv)
{
    // The program's own application object, so failures reach the general error report.
    kovalt::Application app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
