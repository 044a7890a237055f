#include "app/windowmath.h"

namespace kovalt {

QPoint SnapToEdges(QPoint topLeft, int barWidth, int screenWidth) {
    int left = topLeft.x();
    int top = topLeft.y();
    if (left < kSnapDistance) left = 0;
    if (left > screenWidth - barWidth - kSnapDistance) left = screenWidth - barWidth;
    if (top < kSnapDistance) top = 0;
    return {left, top};
}

WheelResult WheelStep(int pointerY, int barTop, WheelNotch notch, int opacity) {
    WheelResult result;
    result.opacity = opacity;
    if (pointerY >= barTop + kTitleStripHeight) {
        result.action = notch == WheelNotch::TowardUser ? WheelAction::ScrollDown : WheelAction::ScrollUp;
        return result;
    }
    result.action = WheelAction::Fade;
    if (notch == WheelNotch::TowardUser) {
        if (result.opacity > kOpacityFloor) result.opacity -= kOpacityStep;
        if (result.opacity < kColourSwitchLevel) result.textColour = kBlackText;
    } else {
        if (result.opacity < kOpacityCeiling) result.opacity += kOpacityStep;
        if (result.opacity >= kColourSwitchLevel) result.textColour = kWhiteText;
    }
    return result;
}

int TakeWheelNotches(int& remainder, int angleDeltaY) {
    // A reversed direction drops the part notch gathered the other way.
    if ((remainder > 0 && angleDeltaY < 0) || (remainder < 0 && angleDeltaY > 0)) remainder = 0;
    remainder += angleDeltaY;
    const int notches = remainder / kWheelNotchDelta;
    remainder -= notches * kWheelNotchDelta;
    return notches;
}

} // namespace kovalt
