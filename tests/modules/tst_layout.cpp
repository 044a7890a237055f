#include "modules/layout.h"

#include <QtTest>

using namespace kovalt;

namespace {
// A column as a finished build leaves it.
TileList Built(int screenHeight, int tileHeight, int count) {
    TileList list;
    for (int j = 1; j <= MaxTiles; ++j)
        list.Tops[j] = -1;
    const ColumnLayoutResult layout = LayOutColumn(screenHeight, tileHeight, count, 100);
    for (int j = 1; j <= count; ++j)
        list.Tops[j] = layout.tiles[j - 1].shown ? layout.tiles[j - 1].top : 0;
    list.First = layout.First;
    list.Last = layout.Last;
    list.Count = count;
    return list;
}

// "1-5:0,6:20,7:67" style description of the non-negative Tops.
QString TopsOf(const TileList& list) {
    QStringList parts;
    for (int j = 1; j <= MaxTiles; ++j) {
        if (list.Tops[j] >= 0) parts << QStringLiteral("%1:%2").arg(j).arg(list.Tops[j]);
    }
    return parts.join(u',');
}

QString ExpectedTops(int count, int first, int last, int pitch) {
    QStringList parts;
    for (int j = 1; j <= count; ++j)
        parts << QStringLiteral("%1:%2").arg(j).arg(j >= first && j <= last ? 20 + (j - first) * pitch : 0);
    return parts.join(u',');
}
} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void moduleTileSizes() {
        QCOMPARE(ModuleTileHeight(32), 42);
        QCOMPARE(TilePitch(ModuleTileHeight(32)), 47);
        QCOMPARE(ModuleFormWidth(32), 230);
        QCOMPARE(ModuleTileHeight(0), 10);
        QCOMPARE(ModuleFormWidth(0), 70);
    }

    void layOut_data() {
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<int>("tileHeight");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("formHeight");
        QTest::addColumn<int>("formTop");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        // 20 x 47 + 35 = 975 < 1018, 21 x 47 + 35 = 1022; top (1080 - 975) / 2 = 52.5.
        QTest::newRow("1080 screen, 25 modules") << 1080 << 42 << 25 << 975 << 52 << 20 << false << true;
        QTest::newRow("1080 screen, exactly 20 modules") << 1080 << 42 << 20 << 975 << 52 << 20 << false << false;
        QTest::newRow("all fit") << 1080 << 42 << 5 << 270 << 405 << 5 << false << false;
        QTest::newRow("no modules: height unchanged") << 1080 << 42 << 0 << 100 << 490 << 0 << false << false;
        // L = 38 is not above 42 + 40: tile 1 shown all the same.
        QTest::newRow("first tile does not fit") << 100 << 42 << 3 << 100 << 0 << 1 << false << true;
        QTest::newRow("single tile that does not fit") << 100 << 42 << 1 << 100 << 0 << 1 << false << false;
        QTest::newRow("form taller than screen: top truncated toward zero")
            << 97 << 42 << 3 << 100 << -1 << 1 << false << true;
        QTest::newRow("no icon: 10-pixel tiles") << 1080 << 10 << 50 << 785 << 147 << 50 << false << false;
        QTest::newRow("height equal to the limit does not fit")
            << 975 + 62 << 42 << 25 << 928 << 54 << 19 << false << true;
    }
    void layOut() {
        QFETCH(int, screenHeight);
        QFETCH(int, tileHeight);
        QFETCH(int, count);
        QFETCH(int, formHeight);
        QFETCH(int, formTop);
        QFETCH(int, last);
        QFETCH(bool, up);
        QFETCH(bool, down);
        const ColumnLayoutResult result = LayOutColumn(screenHeight, tileHeight, count, 100);
        QCOMPARE(result.formHeight, formHeight);
        QCOMPARE(result.formTop, formTop);
        QCOMPARE(result.First, 1);
        QCOMPARE(result.Last, last);
        QCOMPARE(result.upArrow, up);
        QCOMPARE(result.downArrow, down);
        QCOMPARE(result.tiles.size(), count);
        for (int j = 1; j <= count; ++j) {
            // Every tile gets its running top, shown or not.
            QCOMPARE(result.tiles[j - 1].top, 20 + (j - 1) * TilePitch(tileHeight));
            QCOMPARE(result.tiles[j - 1].shown, j <= last);
        }
    }

    void centredTop_truncatesTowardZero() {
        QCOMPARE(CentredTop(1080, 975), 52);
        QCOMPARE(CentredTop(100, 103), -1);
    }

    void scroll_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("steps"); // D down, U up
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("lastStepRefreshed");
        QTest::newRow("one step down") << 25 << "D" << 2 << 21 << true << true << true;
        QTest::newRow("five steps down reach the end") << 25 << "DDDDD" << 6 << 25 << true << false << true;
        QTest::newRow("a sixth step down does nothing") << 25 << "DDDDDD" << 6 << 25 << true << false << false;
        QTest::newRow("five down and five up restore the start")
            << 25 << "DDDDDUUUUU" << 1 << 20 << false << true << true;
        QTest::newRow("up at the top does nothing") << 25 << "U" << 1 << 20 << false << true << false;
        QTest::newRow("all fit: down does nothing") << 5 << "D" << 1 << 5 << false << false << false;
        QTest::newRow("all fit: up does nothing") << 5 << "U" << 1 << 5 << false << false << false;
        QTest::newRow("down, up, down") << 25 << "DUD" << 2 << 21 << true << true << true;
    }
    void scroll() {
        QFETCH(int, count);
        QFETCH(QString, steps);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, up);
        QFETCH(bool, down);
        QFETCH(bool, lastStepRefreshed);
        TileList list = Built(1080, 42, count);
        const int shown = list.Last - list.First + 1;
        ScrollStep step;
        for (QChar c : steps) {
            step = c == u'D' ? PosunDoluState(list) : PosunNahoruState(list);
            QCOMPARE(list.Last - list.First + 1, shown);
        }
        QCOMPARE(list.First, first);
        QCOMPARE(list.Last, last);
        QCOMPARE(step.refreshArrows, lastStepRefreshed);
        QCOMPARE(UkazNahoruDoluState(list), (ArrowState{up, down}));
        QCOMPARE(TopsOf(list), ExpectedTops(count, first, last, 47));
    }

    void scrollDown_stepMovesEachShownTileOnePitch() {
        TileList list = Built(1080, 42, 25);
        const ScrollStep step = PosunDoluState(list);
        QCOMPARE(step.leaving, 1);
        QCOMPARE(step.entering, 21);
        QCOMPARE(step.enteringTop, 20 + 19 * 47);
        QCOMPARE(step.moves.size(), 19);
        QCOMPARE(step.moves.first(), std::make_pair(2, 20));
        QCOMPARE(step.moves.last(), std::make_pair(20, 20 + 18 * 47));
        const ScrollStep back = PosunNahoruState(list);
        QCOMPARE(back.leaving, 21);
        QCOMPARE(back.entering, 1);
        QCOMPARE(back.enteringTop, 20);
        QCOMPARE(back.moves.first(), std::make_pair(20, 20 + 19 * 47));
    }

    void scroll_inconsistentListMovesNothingButRefreshesArrows() {
        TileList list = Built(1080, 42, 25);
        list.Tops[21] = -1;
        const ScrollStep step = PosunDoluState(list);
        QVERIFY(step.refreshArrows);
        QCOMPARE(step.entering, 0);
        QCOMPARE(list.First, 1);
        QCOMPARE(list.Last, 20);
    }

    void scroll_duringBuildIgnored() {
        // A build has set First but not yet Last.
        TileList list;
        list.First = 1;
        list.Count = 25;
        QVERIFY(!PosunDoluState(list).refreshArrows);
        QVERIFY(!PosunNahoruState(list).refreshArrows);
        QCOMPARE(list.Last, 0);
    }

    void scroll_redFrameOnlyForActiveServerInServerMode_data() {
        QTest::addColumn<bool>("serverMode");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("red");
        QTest::newRow("server mode, active server") << true << true << true;
        QTest::newRow("server mode, other server") << true << false << false;
        QTest::newRow("module mode") << false << true << false;
    }
    void scroll_redFrameOnlyForActiveServerInServerMode() {
        QFETCH(bool, serverMode);
        QFETCH(bool, active);
        QFETCH(bool, red);
        TileList list = Built(1080, 42, 22);
        list.ServerMode = serverMode;
        list.Servers[21].aktivni = active;
        list.Servers[1].aktivni = active;
        QCOMPARE(PosunDoluState(list).enteringRed, red);
        QCOMPARE(PosunNahoruState(list).enteringRed, red);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
