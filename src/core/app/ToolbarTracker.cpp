#include "core/app/ToolbarTracker.h"

#include <cmath>

int ToolbarTracker::HitTest(double x) {
    if (x < FirstButtonLeft) {
        return 0;
    }
    // Halves go to the even neighbour, then whole buttons are counted.
    const auto offset = static_cast<long long>(std::nearbyint(x - FirstButtonLeft));
    return static_cast<int>(offset / ButtonPitch) + 1;
}

ToolbarTracker::MoveResult ToolbarTracker::MouseMove(double x, double y, double width, double height) {
    MoveResult result;
    if (!MouseCaptured) {
        MouseCaptured = true;
        result.takeCapture = true;
    }
    if (x < 0 || x > width || y < 0 || y > height) {
        result.clearLit = true;
        MouseCaptured = false;
        result.releaseCapture = true;
        result.takeCapture = false;
        HotButton = 0;
        return result;
    }
    const int button = HitTest(x);
    if (button == HotButton) {
        return result;
    }
    result.clearLit = true;
    HotButton = button;
    if (button >= 1 && button <= ButtonCount) {
        result.light = button;
    }
    return result;
}
