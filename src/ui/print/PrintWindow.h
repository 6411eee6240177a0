#pragma once

class QPrinter;
class QWidget;

// Prints a window's client area (background and visible controls, hidden ones left out) on one page, at
// its size on screen in twips (1440 to the inch), at the top left of the page's printable area, and ends
// the job. The widgets draw straight onto the printer's painter, so texts stay text and pictures are
// scaled to their true size. False when the job could not be started, was not handed over, or the
// printing system refused it.
bool PrintWindow(QWidget& window, QPrinter& printer);
