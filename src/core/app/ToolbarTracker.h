#pragma once

// The picture toolbar's hot tracking, in the strip's own twips: which button is lit, whether the strip
// holds the mouse, and what a move or a click asks of the window.
class ToolbarTracker {
public:
    static constexpr int FirstButtonLeft = 500;
    static constexpr int ButtonPitch = 1680;
    static constexpr int ButtonCount = 4;

    // 0 over the grip, 1..4 over a button (the gap after a button belongs to it), 5 beyond the fourth.
    static int HitTest(double x);
    // Left edge of button b (1..4), in twips.
    static int ButtonLeft(int button) { return FirstButtonLeft + (button - 1) * ButtonPitch; }

    struct MoveResult {
        bool takeCapture = false;    // grab the mouse now
        bool releaseCapture = false; // give the mouse back now
        bool clearLit = false;       // remove the lit picture
        int light = 0;               // 1..4: show that button's lit picture at ButtonLeft(light)
    };

    MoveResult MouseMove(double x, double y, double width, double height);
    // The command to run for a click (0 for none); HotButton is back at 0 once the command returned.
    int ClickCommand() const { return HotButton >= 1 && HotButton <= ButtonCount ? HotButton : 0; }
    void ClickDone() { HotButton = 0; }

    int HotButton = 0;
    bool MouseCaptured = false;
};
