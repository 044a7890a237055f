// Module mode on the real bar: the column, scrolling, the connection gate, launching.
#include "app/notice.h"
#include "app/picture.h"
#include "app/unit3.h"
#include "db/mariadbinfo.h"
#include "modules/gradientpanel.h"
#include "modules/icons.h"
#include "modules/tilewidgets.h"
#include "util/fileutil.h"
#include "util/ini.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class TestModuleMode : public QObject {
    Q_OBJECT

private:
    MariaDbInfo db;
    std::unique_ptr<QTemporaryDir> dir;
    QString dumpFile;

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // The LogON block of the fixture server, or of a port where nobody listens.
    QByteArray logon(bool reachable) const
    {
        int port = db.port;
        if (!reachable) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        return QStringLiteral("[LogON]\r\n;Alfa\r\nIP=127.0.0.1\r\nUser=%1\r\nPassword=%2\r\nDatabase=%3\r\nSQLport=%4\r\n")
            .arg(db.user, db.password, db.database)
            .arg(port)
            .toUtf8();
    }

    // A program directory with n modules, all started through the argdump program in it.
    void makeDir(int n, bool reachable = true)
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        const QString argdump = qEnvironmentVariable("KOVALT_ARGDUMP");
        QVERIFY2(QFile::copy(argdump, dir->filePath("argdump.exe")), qPrintable(argdump));
        // The developer marker keeps the update check off the network.
        writeFile(dir->filePath("unit3.cpp"), "// marker\n");
        writeFile(dir->filePath("kovalt05.ini"), logon(reachable));
        QByteArray list;
        for (int j = 1; j <= n; ++j)
            list += QStringLiteral("[%1]\r\nModulnazev=Modul %2\r\nModulexe={path}argdump.exe\" \"tile %2\" \"x\r\n"
                                   "Modulpopis=Popis %2\r\n")
                        .arg(j, 2, 10, QChar('0'))
                        .arg(j)
                        .toUtf8();
        writeFile(dir->filePath("moduly.ini"), list);
        kovalt::SetProgramDirOverride(dir->path() + "/");
    }

    std::unique_ptr<TForm3> makeBar()
    {
        auto bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(dir->path() + "/", "kovalt05.exe");
        bar->SetArguments({"kovalt05.exe"});
        bar->SetControlKeyProbe([] { return false; });
        // The update check stays out of the way; tests open the gate themselves.
        bar->Timer1->setInterval(600000);
        return bar;
    }

    static QStringList dump(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    static QList<int> shownTops()
    {
        QList<int> tops;
        for (int j = 1; j <= kovalt::Tiles().Count; ++j)
            tops << kovalt::Tiles().Tops[j];
        return tops;
    }

private slots:
    void initTestCase()
    {
        db = MariaDbInfo::load();
        QVERIFY2(db.valid(), qPrintable(db.error));
    }

    void init()
    {
        kovalt::MessageBox::clearShown();
        kovalt::Tiles().Connected = false;
        dumpFile.clear();
    }

    void cleanup()
    {
        kovalt::SetShellIconSource({});
        kovalt::SetProgramDirOverride(QString());
        qunsetenv("ARGDUMP_OUT");
    }

    void column_at1080_showsTwentyOfTwentyFive()
    {
        makeDir(25);
        auto bar = makeBar();
        bar->show();
        const auto& tiles = kovalt::Tiles();
        QVERIFY(tiles.Connected);
        QCOMPARE(tiles.Count, 25);
        QCOMPARE(tiles.First, 1);
        QCOMPARE(tiles.Last, 20);
        QCOMPARE(bar->size(), QSize(230, 975));
        QCOMPARE(bar->y(), 52);
        QVERIFY(bar->JvImage3->isHidden());
        QVERIFY(!bar->JvImage4->isHidden());
        for (int j = 1; j <= 25; ++j) {
            kovalt::GradientPanel* panel = tiles.Panels[j];
            QVERIFY(panel);
            QCOMPARE(panel->objectName(), QStringLiteral("but%1").arg(j, 2, 10, QChar('0')));
            QCOMPARE(panel->geometry(), QRect(0, 20 + (j - 1) * 47, 230, 42));
            QCOMPARE(panel->parentWidget() == bar.get(), j <= 20);
            QCOMPARE(tiles.Tops[j], j <= 20 ? 20 + (j - 1) * 47 : 0);
            QCOMPARE(panel->Heading(), QStringLiteral("Modul %1").arg(j));
            QCOMPARE(tiles.Captions[j]->text(), QStringLiteral("Popis %1").arg(j));
            QVERIFY(!tiles.Icons[j]->Picture().isNull());
        }
        QCOMPARE(tiles.Tops[26], -1);
        QVERIFY(!QFile::exists(dir->filePath("icn.ico")));
        QVERIFY(QFile::exists(dir->filePath("icn.bmp")));
        QVERIFY(bar->Timer1->isActive());
    }

    void startup_showsWithTheFirstTileWhereAndAsTheFilledBarWillBe_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("nothing stored: centred, opaque, white") << QByteArray();
        QTest::newRow("stored place and look")
            << QByteArray("[TForm3]\r\nNormPos=300,40,530,1015\r\nAlphaBlendValue=100\r\nFontColor=255\r\n");
    }

    void startup_showsWithTheFirstTileWhereAndAsTheFilledBarWillBe()
    {
        QFETCH(QByteArray, stored);
        makeDir(25);
        QFile ini(dir->filePath("kovalt05.ini"));
        QVERIFY(ini.open(QIODevice::Append));
        ini.write(stored);
        ini.close();
        auto bar = makeBar();
        // Runs at the first event round of the fill, the one that paints the first tile.
        bool seen = false, visible = false, onlyFirstTile = false;
        QRect geometry;
        qreal opacity = 0;
        QColor heading, caption;
        QTimer::singleShot(0, bar.get(), [&] {
            const auto& tiles = kovalt::Tiles();
            seen = true;
            visible = bar->isVisible();
            onlyFirstTile = tiles.Panels[1] && !tiles.Panels[2] && bar->Building();
            geometry = bar->geometry();
            opacity = bar->windowOpacity();
            heading = tiles.Panels[1] ? tiles.Panels[1]->HeadingColor() : QColor();
            caption = tiles.Captions[1] ? tiles.Captions[1]->TextColor() : QColor();
        });
        bar->show();
        QVERIFY(seen);
        QVERIFY(visible);
        QVERIFY(onlyFirstTile);
        QCOMPARE(geometry, bar->geometry());
        QCOMPARE(opacity, bar->windowOpacity());
        QCOMPARE(heading, kovalt::Tiles().Panels[1]->HeadingColor());
        QCOMPARE(caption, kovalt::Tiles().Captions[1]->TextColor());
        if (stored.isEmpty()) {
            QCOMPARE(geometry, QRect(0, 52, 230, 975));
            QCOMPARE(caption, QColor(Qt::white));
        } else {
            QCOMPARE(geometry, QRect(300, 40, 230, 975));
            QCOMPARE(qRound(opacity * 255), 100);
            QCOMPARE(caption, QColor(Qt::red));
        }
    }

    void scroll_data()
    {
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("ups");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("upArrow");
        QTest::addColumn<bool>("downArrow");
        QTest::newRow("one step down") << 1 << 0 << 2 << 21 << true << true;
        QTest::newRow("five steps down reach the end") << 5 << 0 << 6 << 25 << true << false;
        QTest::newRow("a sixth step down does nothing") << 6 << 0 << 6 << 25 << true << false;
        QTest::newRow("five down, two up") << 5 << 2 << 4 << 23 << true << true;
        QTest::newRow("five down, five up restore the start") << 5 << 5 << 1 << 20 << false << true;
        QTest::newRow("a step up at the start does nothing") << 0 << 1 << 1 << 20 << false << true;
    }

    void scroll()
    {
        QFETCH(int, downs);
        QFETCH(int, ups);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, upArrow);
        QFETCH(bool, downArrow);
        makeDir(25);
        auto bar = makeBar();
        bar->show();
        const QList<int> start = shownTops();
        for (int i = 0; i < downs; ++i)
            PosunDolu();
        for (int i = 0; i < ups; ++i)
            PosunNahoru();
        const auto& tiles = kovalt::Tiles();
        QCOMPARE(tiles.First, first);
        QCOMPARE(tiles.Last, last);
        QCOMPARE(bar->JvImage3->isHidden(), !upArrow);
        QCOMPARE(bar->JvImage4->isHidden(), !downArrow);
        for (int j = 1; j <= 25; ++j) {
            const bool shown = j >= first && j <= last;
            QCOMPARE(tiles.Panels[j]->parentWidget() == bar.get(), shown);
            QCOMPARE(tiles.Tops[j], shown ? 20 + (j - first) * 47 : 0);
            if (shown)
                QCOMPARE(tiles.Panels[j]->y(), tiles.Tops[j]);
        }
        if (first == 1)
            QCOMPARE(shownTops(), start);
        QCOMPARE(bar->size(), QSize(230, 975));
    }

    void arrows_waitForTheReadyIndicator()
    {
        makeDir(25);
        auto bar = makeBar();
        bar->show();
        bar->JvImage4Click();
        QCOMPARE(kovalt::Tiles().First, 1);
        bar->JvImage1->show();
        bar->JvImage4Click();
        QCOMPARE(kovalt::Tiles().First, 2);
        bar->JvImage3Click();
        QCOMPARE(kovalt::Tiles().First, 1);
    }

    void emptyList_noTilesNoArrows()
    {
        makeDir(0);
        auto bar = makeBar();
        bar->show();
        const auto& tiles = kovalt::Tiles();
        QCOMPARE(tiles.Count, 0);
        QCOMPARE(tiles.First, 1);
        QCOMPARE(tiles.Last, 0);
        QCOMPARE(bar->height(), 47);
        QVERIFY(bar->JvImage3->isHidden());
        QVERIFY(bar->JvImage4->isHidden());
        PosunDolu();
        PosunNahoru();
        QCOMPARE(tiles.First, 1);
        QCOMPARE(tiles.Last, 0);
    }

    void databaseDown_noticeOnceThenCloseAndExitZero()
    {
        makeDir(3, false);
        auto bar = makeBar();
        kovalt::MessageBox::setNextAnswer(kovalt::MessageBox::ResultOk);
        bar->show();
        QCOMPARE(kovalt::MessageBox::shown().size(), 1);
        const auto& notice = kovalt::MessageBox::shown().first();
        QCOMPARE(notice.title, QString("Kovalt05"));
        QCOMPARE(notice.text, QString("Se serverem SQL (ALFA) se nelze spojit!"));
        QCOMPARE(notice.buttons, QStringList{"OK"});
        QVERIFY(!kovalt::Tiles().Connected);
        QVERIFY(bar->Ending());
        QCOMPARE(bar->ExitCode(), 0);
        QVERIFY(!bar->isVisible());
        QVERIFY(!bar->Timer1->isActive());
        QCOMPARE(kovalt::Tiles().Count, 0);
        // The close sequence saved the placement.
        QCOMPARE(kovalt::IniFileReadInt(dir->filePath("kovalt05.ini"), "TForm3", "FormVersion", -1), 0);
    }

    void noSettingsFile_noticeWithEmptyLabelThenExitZero()
    {
        makeDir(3, false);
        QVERIFY(QFile::remove(dir->filePath("kovalt05.ini")));
        auto bar = makeBar();
        kovalt::MessageBox::setNextAnswer(kovalt::MessageBox::ResultOk);
        bar->show();
        QCOMPARE(kovalt::MessageBox::shown().size(), 1);
        QCOMPARE(kovalt::MessageBox::shown().first().text, QString("Se serverem SQL  se nelze spojit!"));
        QVERIFY(bar->Ending());
        QCOMPARE(bar->ExitCode(), 0);
    }

    void testCon_readsLogonThroughTheStoreThenTheStoreReadsTForm3_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::newRow("fixture server") << true;
        QTest::newRow("closed port") << false;
    }

    void testCon_readsLogonThroughTheStoreThenTheStoreReadsTForm3()
    {
        QFETCH(bool, reachable);
        makeDir(0, reachable);
        QFile ini(dir->filePath("kovalt05.ini"));
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("[TForm3]\r\nAlphaBlendValue=77\r\n");
        ini.close();
        auto bar = makeBar();
        QCOMPARE(bar->TestCon(), reachable);
        QVERIFY(!bar->ZConnection1.Connected());
        QCOMPARE(bar->ZConnection1.HostName(), QString("127.0.0.1"));
        QCOMPARE(bar->ZConnection1.User(), db.user);
        QCOMPARE(bar->FormStorage1.Section(), QString("TForm3"));
        QCOMPARE(bar->FormStorage1.ReadInteger("AlphaBlendValue", 0), 77);
        QCOMPARE(bar->FormStorage1.ReadString("IP", "none"), QString("none"));
    }

    void launch_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<bool>("starts");
        QTest::newRow("panel before ready does nothing") << "panel" << false << false;
        QTest::newRow("panel when ready") << "panel" << true << true;
        QTest::newRow("caption before ready") << "caption" << false << true;
        QTest::newRow("picture before ready") << "picture" << false << true;
    }

    void launch()
    {
        QFETCH(QString, control);
        QFETCH(bool, ready);
        QFETCH(bool, starts);
        makeDir(3);
        auto bar = makeBar();
        bar->show();
        if (ready)
            bar->JvImage1->show();
        const QString out = dir->filePath("dump.txt");
        qputenv("ARGDUMP_OUT", QFile::encodeName(out));
        QDir::setCurrent(QDir::tempPath());
        const auto& tiles = kovalt::Tiles();
        QWidget* target = control == "panel"     ? static_cast<QWidget*>(tiles.Panels[2].data())
                          : control == "caption" ? static_cast<QWidget*>(tiles.Captions[2].data())
                                                 : static_cast<QWidget*>(tiles.Icons[2].data());
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
        if (!starts) {
            QTest::qWait(300);
            QVERIFY(!QFile::exists(out));
            QVERIFY(!bar->isMinimized());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
        const QStringList lines = dump(out);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(QDir(lines[0]).canonicalPath(), QDir(dir->path()).canonicalPath());
        QCOMPARE(lines.mid(2), (QStringList{"tile 2", "x"}));
        QCOMPARE(QDir(QDir::currentPath()).canonicalPath(), QDir(dir->path()).canonicalPath());
        QVERIFY(bar->isMinimized());
    }

    void unlaunchableTile_panelDoesNothingOthersStillMinimise()
    {
        makeDir(3);
        const QString missing = dir->filePath("argdump.exe");
        int calls = 0;
        // The second tile's icon is unavailable; the others keep theirs.
        kovalt::SetShellIconSource([&calls, missing](const QString& path) -> std::optional<kovalt::ShellIcon> {
            ++calls;
            if (calls == 3)
                return std::nullopt;
            Q_UNUSED(path);
            QImage icon(32, 32, QImage::Format_ARGB32);
            icon.fill(Qt::red);
            return kovalt::ShellIcon{icon, icon};
        });
        auto bar = makeBar();
        bar->show();
        const auto& tiles = kovalt::Tiles();
        QCOMPARE(tiles.Captions[2]->text(), kovalt::UnlaunchableCaption);
        QVERIFY(tiles.Commands[2].isEmpty());
        QCOMPARE(tiles.Panels[2]->Heading(), QString("Modul 2"));
        bar->JvImage1->show();
        const QString out = dir->filePath("dump.txt");
        qputenv("ARGDUMP_OUT", QFile::encodeName(out));
        QTest::mouseClick(tiles.Panels[2], Qt::LeftButton, {}, QPoint(2, 2));
        QTest::qWait(200);
        QVERIFY(!bar->isMinimized());
        // The label's click starts "" and fails quietly; the bar goes down all the same.
        QTest::mouseClick(tiles.Captions[2], Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(bar->isMinimized());
        QTest::qWait(200);
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(TestModuleMode)
#include "tst_modulemode.moc"
