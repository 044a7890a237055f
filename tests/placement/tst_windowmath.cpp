#include "app/windowmath.h"

#include <QtTest>

using namespace kovalt;

Q_DECLARE_METATYPE(kovalt::WheelNotch)
Q_DECLARE_METATYPE(kovalt::WheelAction)

namespace {
// The module fill makes the bar 230 pixels wide; the right snap line is 1920 - 230 - 15 = 1675.
constexpr int kScreen = 1920;
constexpr int kBarWidth = 230;
} // namespace

class TestWindowMath : public QObject {
    Q_OBJECT

private slots:
    void snap_pullsNearEdgesToScreen_data();
    void snap_pullsNearEdgesToScreen();
    void wheel_fromOpaque_fadesToFloorWithBlackText();
    void wheel_climbsToCeilingWithWhiteText();
    void wheel_atLimits_keepsOpacityAndSetsColourAgain_data();
    void wheel_atLimits_keepsOpacityAndSetsColourAgain();
    void wheel_zoneBelowTitleStrip_scrolls_data();
    void wheel_zoneBelowTitleStrip_scrolls();
    void wheelNotches_gathersSmallSteps();
};

void TestWindowMath::snap_pullsNearEdgesToScreen_data() {
    QTest::addColumn<QPoint>("dropped");
    QTest::addColumn<QPoint>("snapped");
    QTest::newRow("left 14 to 0") << QPoint(14, 300) << QPoint(0, 300);
    QTest::newRow("left 15 stays") << QPoint(15, 300) << QPoint(15, 300);
    QTest::newRow("left 1676 to 1690") << QPoint(1676, 300) << QPoint(1690, 300);
    QTest::newRow("left 1675 stays") << QPoint(1675, 300) << QPoint(1675, 300);
    QTest::newRow("top 14 to 0") << QPoint(400, 14) << QPoint(400, 0);
    QTest::newRow("top 15 stays") << QPoint(400, 15) << QPoint(400, 15);
    QTest::newRow("top -40 to 0") << QPoint(400, -40) << QPoint(400, 0);
    QTest::newRow("near the bottom: stays") << QPoint(400, 1070) << QPoint(400, 1070);
    QTest::newRow("monitor to the right: right edge") << QPoint(2500, 300) << QPoint(1690, 300);
    QTest::newRow("monitor to the left: left 0") << QPoint(-1500, 300) << QPoint(0, 300);
    QTest::newRow("monitor above: top 0") << QPoint(400, -900) << QPoint(400, 0);
    QTest::newRow("corner: both snap") << QPoint(1680, 3) << QPoint(1690, 0);
}

void TestWindowMath::snap_pullsNearEdgesToScreen() {
    QFETCH(QPoint, dropped);
    QFETCH(QPoint, snapped);
    QCOMPARE(SnapToEdges(dropped, kBarWidth, kScreen), snapped);
}

void TestWindowMath::wheel_fromOpaque_fadesToFloorWithBlackText() {
    int opacity = 255;
    for (int notch = 1; notch <= 13; ++notch) {
        const WheelResult r = WheelStep(105, 100, WheelNotch::TowardUser, opacity);
        QCOMPARE(r.action, WheelAction::Fade);
        QCOMPARE(r.opacity, 255 - 5 * notch);
        QVERIFY2(!r.textColour, qPrintable(QStringLiteral("colour set at notch %1").arg(notch)));
        opacity = r.opacity;
    }
    const WheelResult fourteenth = WheelStep(105, 100, WheelNotch::TowardUser, opacity);
    QCOMPARE(fourteenth.opacity, 185);
    QCOMPARE(fourteenth.textColour, std::optional<int>(0));
    opacity = fourteenth.opacity;
    for (int notch = 15; notch <= 60; ++notch)
        opacity = WheelStep(105, 100, WheelNotch::TowardUser, opacity).opacity;
    QCOMPARE(opacity, 50);

    // An opacity off the grid of 5 keeps its remainder.
    const WheelResult from53 = WheelStep(105, 100, WheelNotch::TowardUser, 53);
    QCOMPARE(from53.opacity, 48);
    QCOMPARE(WheelStep(105, 100, WheelNotch::TowardUser, 48).opacity, 48);
}

void TestWindowMath::wheel_climbsToCeilingWithWhiteText() {
    int opacity = 50;
    int whiteAt = 0;
    for (int notch = 1; notch <= 50; ++notch) {
        const WheelResult r = WheelStep(100, 100, WheelNotch::AwayFromUser, opacity);
        if (r.textColour) {
            QCOMPARE(*r.textColour, 16777215);
            if (!whiteAt) whiteAt = r.opacity;
        }
        opacity = r.opacity;
    }
    QCOMPARE(whiteAt, 190);
    QCOMPARE(opacity, 245);
}

void TestWindowMath::wheel_atLimits_keepsOpacityAndSetsColourAgain_data() {
    QTest::addColumn<int>("opacity");
    QTest::addColumn<WheelNotch>("notch");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("colour");
    QTest::newRow("50 toward the user: 50, black again") << 50 << WheelNotch::TowardUser << 50 << 0;
    QTest::newRow("245 away: 245, white again") << 245 << WheelNotch::AwayFromUser << 245 << 16777215;
    QTest::newRow("250 away: stays 250") << 250 << WheelNotch::AwayFromUser << 250 << 16777215;
    QTest::newRow("190 toward: 185, black") << 190 << WheelNotch::TowardUser << 185 << 0;
    QTest::newRow("185 away: 190, white") << 185 << WheelNotch::AwayFromUser << 190 << 16777215;
}

void TestWindowMath::wheel_atLimits_keepsOpacityAndSetsColourAgain() {
    QFETCH(int, opacity);
    QFETCH(WheelNotch, notch);
    QFETCH(int, after);
    QFETCH(int, colour);
    const WheelResult r = WheelStep(0, 0, notch, opacity);
    QCOMPARE(r.action, WheelAction::Fade);
    QCOMPARE(r.opacity, after);
    QCOMPARE(r.textColour, std::optional<int>(colour));
}

void TestWindowMath::wheel_zoneBelowTitleStrip_scrolls_data() {
    QTest::addColumn<int>("below");
    QTest::addColumn<WheelNotch>("notch");
    QTest::addColumn<WheelAction>("action");
    QTest::newRow("16 below the top, toward the user: scroll down")
        << 16 << WheelNotch::TowardUser << WheelAction::ScrollDown;
    QTest::newRow("16 below the top, away: scroll up") << 16 << WheelNotch::AwayFromUser << WheelAction::ScrollUp;
    QTest::newRow("far below the top: scroll") << 600 << WheelNotch::TowardUser << WheelAction::ScrollDown;
    QTest::newRow("15 below the top: fade") << 15 << WheelNotch::TowardUser << WheelAction::Fade;
    QTest::newRow("at the top: fade") << 0 << WheelNotch::AwayFromUser << WheelAction::Fade;
}

void TestWindowMath::wheel_zoneBelowTitleStrip_scrolls() {
    QFETCH(int, below);
    QFETCH(WheelNotch, notch);
    QFETCH(WheelAction, action);
    const int barTop = 52;
    const WheelResult r = WheelStep(barTop + below, barTop, notch, 200);
    QCOMPARE(r.action, action);
    if (action != WheelAction::Fade) {
        QCOMPARE(r.opacity, 200);
        QVERIFY(!r.textColour);
    } else {
        QCOMPARE(r.opacity, notch == WheelNotch::TowardUser ? 195 : 205);
    }
}

void TestWindowMath::wheelNotches_gathersSmallSteps() {
    int remainder = 0;
    QCOMPARE(TakeWheelNotches(remainder, 120), 1);
    QCOMPARE(TakeWheelNotches(remainder, -240), -2);
    QCOMPARE(TakeWheelNotches(remainder, 60), 0);
    QCOMPARE(TakeWheelNotches(remainder, 60), 1);
    QCOMPARE(TakeWheelNotches(remainder, 90), 0);
    // Turning back drops the part gathered the other way.
    QCOMPARE(TakeWheelNotches(remainder, -60), 0);
    QCOMPARE(TakeWheelNotches(remainder, -60), -1);
}

QTEST_GUILESS_MAIN(TestWindowMath)
#include "tst_windowmath.moc"
