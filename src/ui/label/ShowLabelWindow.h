#pragma once

class QWidget;
struct WindowServices;

// Opens a fresh label window modally: it examines the Zip drive and shows the label, or prints it at once
// when AutoPrint is set. Returns when the window is gone (it may never be shown when it closes itself
// while loading).
void ShowLabelWindow(const WindowServices& services, QWidget* parent);
