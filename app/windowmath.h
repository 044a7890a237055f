#pragma once

#include <QPoint>

#include <optional>

namespace kovalt {

inline constexpr int kSnapDistance = 15;
/// The height of `Label1`: the wheel fades the bar only over this strip.
inline constexpr int kTitleStripHeight = 16;
inline constexpr int kOpacityStep = 5;
inline constexpr int kOpacityFloor = 50;
inline constexpr int kOpacityCeiling = 245;
inline constexpr int kColourSwitchLevel = 190;
inline constexpr int kBlackText = 0;
inline constexpr int kWhiteText = 16777215;
/// One notch of an ordinary mouse wheel in QWheelEvent::angleDelta units.
inline constexpr int kWheelNotchDelta = 120;

/// Where a move of the bar ends: the left and top edges snap to the primary screen's edges
/// within kSnapDistance, the right edge snaps to screenWidth; the bottom never snaps.
QPoint SnapToEdges(QPoint topLeft, int barWidth, int screenWidth);

enum class WheelNotch { TowardUser, AwayFromUser };
enum class WheelAction { ScrollDown, ScrollUp, Fade };

struct WheelResult {
    WheelAction action = WheelAction::Fade;
    int opacity = 255;
    /// The colour for `NastavBarvuPisma`, when the notch sets one.
    std::optional<int> textColour;
};

/// One wheel notch with the pointer at screen height pointerY over a bar whose top is barTop:
/// below the title strip it scrolls (`PosunDolu` toward the user, `PosunNahoru` away), over it
/// it steps the opacity and picks black or white text.
WheelResult WheelStep(int pointerY, int barTop, WheelNotch notch, int opacity);

/// Turns angleDelta().y() into whole notches (positive: away from the user), keeping what is
/// left of a high-resolution wheel's small steps in remainder.
int TakeWheelNotches(int& remainder, int angleDeltaY);

} // namespace kovalt
