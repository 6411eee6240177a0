#pragma once

#include <QImage>

// The picture of the used-space bar: 350 x 16 pixels, 24-bit, a mottled horizontal gradient from blue
// through blue-green to green. The same every time.
QImage UsedSpaceBarImage();
