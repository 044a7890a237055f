#include "app/unit3.h"
#include "modules/gradientpanel.h"
#include "modules/icons.h"
#include "modules/modulelist.h"
#include "modules/tilewidgets.h"
#include "util/codepage.h"
#include "util/error.h"
#include "util/fileutil.h"
#include "util/textfile.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using kovalt::TileCaption;

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The module number of a program "mNN.exe".
int ModuleOf(const QString& path) { return QFileInfo(path).completeBaseName().mid(1).toInt(); }

// Each module's icon is one colour, so a picture tells which module it came from.
QColor ColourOf(int module) { return QColor(module * 5, 120, 200); }

QImage IconOf(int module)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(ColourOf(module));
    return image;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestReorder : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString programDir;
    std::unique_ptr<TForm3> bar;
    QByteArray original;

    QString file(const QString& name) const { return programDir + name; }
    QString commandOf(int module) const { return programDir + QStringLiteral("m%1.exe").arg(module, 2, 10, QChar(u'0')); }

    // A program directory with n modules "Modul k", program mNN.exe, description "Popis k"; the
    // modules in unlaunchable give no icon. Then the bar builds its module column.
    void fill(int n, const QList<int>& unlaunchable = {})
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        programDir = QDir(dir->path()).absolutePath() + u'/';
        QString ini = QStringLiteral("; list of the suite\r\n");
        for (int k = 1; k <= n; ++k) {
            ini += QStringLiteral("[%1]\r\nModulnazev=Modul %2\r\nModulexe={path}m%1.exe\r\nModulpopis=Popis %2\r\n")
                       .arg(k, 2, 10, QChar(u'0'))
                       .arg(k);
            QFile program(commandOf(k));
            QVERIFY(program.open(QIODevice::WriteOnly));
            program.write("MZ");
        }
        original = kovalt::EncodeAnsi(ini);
        QFile list(file("moduly.ini"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(original);
        list.close();
        kovalt::SetShellIconSource([unlaunchable](const QString& path) -> std::optional<kovalt::ShellIcon> {
            if (unlaunchable.contains(ModuleOf(path)))
                return std::nullopt;
            return kovalt::ShellIcon{IconOf(ModuleOf(path)), {}};
        });
        kovalt::SetProgramDirOverride(programDir);
        bar = std::make_unique<TForm3>();
        bar->FormStorage1 = kovalt::PlacementStore(programDir, "kovalt05.exe");
        buildColumn();
        QCOMPARE(kovalt::Tiles().Count, n);
    }

    // The module build, connected; the update check is not wanted here.
    void buildColumn()
    {
        kovalt::Tiles().Connected = true;
        bar->NaplnExe();
        bar->Timer1->stop();
    }

    void drop(int s, int d) { bar->Panel1DragDrop(kovalt::Tiles().Captions[d], kovalt::Tiles().Captions[s]); }

    // Slot k shows module m: heading, caption text and hint, command and picture.
    void expectSlot(int k, int m, bool launchable = true)
    {
        const auto& tiles = kovalt::Tiles();
        const QString name = QStringLiteral("Modul %1").arg(m);
        const QString description = QStringLiteral("Popis %1").arg(m);
        QCOMPARE(tiles.Names[k], name);
        QCOMPARE(tiles.Panels[k]->Heading(), name);
        QCOMPARE(tiles.Descriptions[k], description);
        QCOMPARE(tiles.Captions[k]->text(), description);
        QCOMPARE(tiles.Captions[k]->toolTip(), description);
        QCOMPARE(tiles.Commands[k], launchable ? commandOf(m) : QString());
        if (launchable)
            QCOMPARE(tiles.Icons[k]->Picture().pixelColor(16, 16), ColourOf(m));
        // The controls stay where they are, with their slot numbers.
        QCOMPARE(kovalt::TagOf(tiles.Captions[k]), k);
        QCOMPARE(tiles.Panels[k]->Tag(), k);
    }

    // The module list on disk: module numbers in section order, sections numbered from 01.
    QList<int> writtenOrder()
    {
        const QStringList lines = kovalt::ReadTextFile(file("moduly.ini")).lines;
        QList<int> order;
        for (int i = 0; i + 3 < lines.size(); i += 4) {
            if (lines[i] != QStringLiteral("[%1]").arg(order.size() + 1, 2, 10, QChar(u'0')))
                return {-1};
            const int m = lines[i + 1].mid(QStringLiteral("Modulnazev=Modul ").size()).toInt();
            if (lines[i + 2] != "Modulexe=" + commandOf(m) || lines[i + 3] != QStringLiteral("Modulpopis=Popis %1").arg(m))
                return {-2};
            order << m;
        }
        if (lines.size() != order.size() * 4 + 1 || !lines.last().startsWith(u';'))
            return {-3};
        return order;
    }

    // Press with button on the caption of slot j, then move the pointer by (dx, dy) holding it.
    bool dragStarts(int j, Qt::MouseButton button, QPoint by)
    {
        TileCaption* caption = kovalt::Tiles().Captions[j];
        const QPoint at(5, 5);
        SendMouse(caption, QEvent::MouseButtonPress, at, button, button);
        for (int step = 1; step <= 4; ++step)
            SendMouse(caption, QEvent::MouseMove, at + by * step / 4, Qt::NoButton, button);
        // The platform's drag object lives until the events after the drag are handled.
        const bool started = caption->findChild<QDrag*>() != nullptr;
        SendMouse(caption, QEvent::MouseButtonRelease, at + by, button, Qt::NoButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return started;
    }

private slots:
    void cleanup()
    {
        bar.reset();
        kovalt::Tiles().ReleaseControlsNow();
        kovalt::Tiles().Count = 0;
        kovalt::SetShellIconSource({});
        kovalt::SetProgramDirOverride(QString());
    }

    void drop_rotatesSlotsAndWritesTheList_data()
    {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("d");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("5 onto 2: 2 to 5 move down") << 5 << 2 << QList<int>{1, 5, 2, 3, 4, 6};
        QTest::newRow("2 onto 5: 3 to 5 move up") << 2 << 5 << QList<int>{1, 3, 4, 5, 2, 6};
    }
    void drop_rotatesSlotsAndWritesTheList()
    {
        QFETCH(int, s);
        QFETCH(int, d);
        QFETCH(QList<int>, order);
        fill(6);
        const auto& tiles = kovalt::Tiles();
        QList<int> tops;
        for (int k = 1; k <= 6; ++k)
            tops << tiles.Tops[k];
        drop(s, d);
        for (int k = 1; k <= 6; ++k) {
            expectSlot(k, order[k - 1]);
            QCOMPARE(tiles.Tops[k], tops[k - 1]);
        }
        QCOMPARE(tiles.Count, 6);
        QCOMPARE(writtenOrder(), order);
        QCOMPARE(ReadBytes(file("moduly.ori")), original);
        QCOMPARE(ReadBytes(file("moduly.old")), original);
        // The next start reads the new order.
        QCOMPARE(kovalt::ReadModuleList(programDir).at(d - 1).Name, QStringLiteral("Modul %1").arg(s));
    }

    void dropOnItself_keepsSlotsButWritesAndRefreshesBackups()
    {
        fill(4);
        drop(3, 3);
        for (int k = 1; k <= 4; ++k)
            expectSlot(k, k);
        QCOMPARE(writtenOrder(), (QList<int>{1, 2, 3, 4}));
        QCOMPARE(ReadBytes(file("moduly.ori")), original);
        QCOMPARE(ReadBytes(file("moduly.old")), original);
        const QByteArray first = ReadBytes(file("moduly.ini"));
        QVERIFY(first != original);

        drop(2, 2);
        QCOMPARE(ReadBytes(file("moduly.ori")), original);
        QCOMPARE(ReadBytes(file("moduly.old")), first);
        QCOMPARE(writtenOrder(), (QList<int>{1, 2, 3, 4}));
    }

    void scrolledColumn_lastShownOntoFirstShownRotatesOnlyThatRange()
    {
        fill(30);
        auto& tiles = kovalt::Tiles();
        QCOMPARE(tiles.Last, 20);
        for (int i = 0; i < 5; ++i)
            PosunDolu();
        QCOMPARE(tiles.First, 6);
        QCOMPARE(tiles.Last, 25);
        drop(25, 6);
        for (int k = 1; k <= 5; ++k)
            expectSlot(k, k);
        expectSlot(6, 25);
        for (int k = 7; k <= 25; ++k)
            expectSlot(k, k - 1);
        for (int k = 26; k <= 30; ++k)
            expectSlot(k, k);
        QCOMPARE(tiles.First, 6);
        QCOMPARE(tiles.Last, 25);
        QCOMPARE(tiles.Tops[1], 0);
        QVERIFY(tiles.Tops[6] > 0);
        QList<int> order;
        for (int k = 1; k <= 30; ++k)
            order << (k == 6 ? 25 : k >= 7 && k <= 25 ? k - 1 : k);
        QCOMPARE(writtenOrder(), order);
    }

    void unlaunchableModule_showsItsDescriptionAfterMovingAndStaysInTheList()
    {
        fill(4, {2});
        auto& tiles = kovalt::Tiles();
        QCOMPARE(tiles.Captions[2]->text(), kovalt::UnlaunchableCaption);
        QVERIFY(tiles.Commands[2].isEmpty());
        drop(2, 4);
        expectSlot(2, 3);
        expectSlot(3, 4);
        expectSlot(4, 2, false);
        QVERIFY(tiles.Commands[4].isEmpty());
        // Its command as read is written, so the next start still offers the module.
        QCOMPARE(writtenOrder(), (QList<int>{1, 3, 4, 2}));
        const QList<kovalt::ModuleEntry> back = kovalt::ReadModuleList(programDir);
        QCOMPARE(back.size(), 4);
        QCOMPARE(back.at(3), (kovalt::ModuleEntry{"Modul 2", commandOf(2), "Popis 2"}));
        // A second drop moves it on with its command.
        drop(4, 1);
        expectSlot(1, 2, false);
        QCOMPARE(writtenOrder(), (QList<int>{2, 1, 3, 4}));
    }

    void dragOver_acceptsOnlyModuleCaptions()
    {
        fill(3);
        auto& tiles = kovalt::Tiles();
        TileCaption stray;
        kovalt::SetTag(&stray, 2);
        struct Row {
            const char* what;
            QObject* source;
            bool accepted;
        };
        const Row rows[] = {
            {"another tile's caption", tiles.Captions[1], true},
            {"the same caption", tiles.Captions[3], true},
            {"a tile panel", tiles.Panels[1], false},
            {"a tile picture", tiles.Icons[1], false},
            {"the title", bar->Label1, false},
            {"a caption of no tile", &stray, false},
            {"nothing", nullptr, false},
        };
        for (const Row& row : rows) {
            bool accept = !row.accepted;
            bar->Panel1DragOver(tiles.Captions[3], row.source, &accept);
            QVERIFY2(accept == row.accepted, row.what);
        }
        // A drop of anything else changes nothing and writes nothing.
        for (const Row& row : rows) {
            if (!row.accepted)
                bar->Panel1DragDrop(tiles.Captions[3], row.source);
        }
        for (int k = 1; k <= 3; ++k)
            expectSlot(k, k);
        QCOMPARE(ReadBytes(file("moduly.ini")), original);
        QVERIFY(!QFile::exists(file("moduly.old")));
    }

    void captionEvents_reachTheHandlers()
    {
        fill(3);
        auto& tiles = kovalt::Tiles();
        bool accept = false;
        emit tiles.Captions[1]->dragOver(tiles.Captions[3], &accept);
        QVERIFY(accept);
        emit tiles.Captions[1]->dropped(tiles.Captions[3]);
        expectSlot(1, 3);
        expectSlot(2, 1);
        expectSlot(3, 2);
        QCOMPARE(writtenOrder(), (QList<int>{3, 1, 2}));
    }

    void dragStart_needsTheRightButtonAndTenPixels_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<bool>("starts");
        QTest::newRow("right, 10 to the right") << int(Qt::RightButton) << QPoint(10, 0) << true;
        QTest::newRow("right, 10 up") << int(Qt::RightButton) << QPoint(0, -10) << true;
        QTest::newRow("right, 9 along both axes") << int(Qt::RightButton) << QPoint(9, 9) << false;
        QTest::newRow("right, 9 to the left") << int(Qt::RightButton) << QPoint(-9, 0) << false;
        QTest::newRow("left, 30 down") << int(Qt::LeftButton) << QPoint(0, 30) << false;
        QTest::newRow("middle, 30 to the right") << int(Qt::MiddleButton) << QPoint(30, 0) << false;
    }
    void dragStart_needsTheRightButtonAndTenPixels()
    {
        QFETCH(int, button);
        QFETCH(QPoint, by);
        QFETCH(bool, starts);
        fill(3);
        QCOMPARE(QApplication::startDragDistance(), DragThreshold);
        QCOMPARE(dragStarts(2, Qt::MouseButton(button), by), starts);
        // Starting (or not) a drag changes no slot.
        for (int k = 1; k <= 3; ++k)
            expectSlot(k, k);
        QCOMPARE(ReadBytes(file("moduly.ini")), original);
    }

    void contextMenuAtRightPress_opensNothing()
    {
        fill(3);
        TileCaption* caption = kovalt::Tiles().Captions[2];
        const QPoint at(5, 5);
        SendMouse(caption, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        // X11 delivers the context menu at the press, before the pointer moves.
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, caption->mapToGlobal(at));
        QApplication::sendEvent(caption, &menu);
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activePopupWidget());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<QMenu*>(w) || !w->isVisible(), "a menu opened");
        // The drag still starts.
        SendMouse(caption, QEvent::MouseMove, at + QPoint(0, 12), Qt::NoButton, Qt::RightButton);
        QVERIFY(caption->findChild<QDrag*>());
        SendMouse(caption, QEvent::MouseButtonRelease, at + QPoint(0, 12), Qt::RightButton, Qt::NoButton);
    }

    void failedWrite_throwsNamingTheFileAndTilesKeepTheNewOrder()
    {
        fill(3);
        // A folder in the list's place cannot be replaced by the file.
        QVERIFY(QFile::remove(file("moduly.ini")));
        QVERIFY(QDir(programDir).mkdir("moduly.ini"));
        try {
            drop(3, 1);
            QFAIL("the list was written over a folder");
        } catch (const kovalt::Error& error) {
            QVERIFY2(error.message().contains("moduly.ini"), qPrintable(error.message()));
        }
        expectSlot(1, 3);
        expectSlot(2, 1);
        expectSlot(3, 2);
    }
};

QTEST_MAIN(TestReorder)
#include "tst_reorder.moc"
