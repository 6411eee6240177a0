#pragma once

class QWidget;
struct WindowServices;

// What the label window does with the disk it examines.
enum class LabelAction {
    Show,  // Examine Disk: shows the label with its Print and Cancel buttons
    Print, // Print Label: prints it at once
};

// Opens a fresh label window modally: it examines the Zip drive and shows the label, or prints it at once.
// Returns when the window is gone (it may never be shown when it closes itself while loading).
void ShowLabelWindow(const WindowServices& services, QWidget* parent, LabelAction action = LabelAction::Show);
