#pragma once

#include <QIcon>
#include <QImage>

// The program's pictures, painted in code so they stay sharp at any size and need no binary files.
namespace Artwork {

// Three colored disks in front of a window card: the splash's and About box's logo, 32 x 32 by default.
QImage Logo(int size = 32);
// Window icons: the main window's, the About box's and the splash's differ in their card color.
QIcon MainIcon();
QIcon AboutIcon();
QIcon SplashIcon();

// The toolbar strip: 580 x 45 pixels, grey texture, a two-bar grip and four yellow captions.
QImage ToolbarStrip();
// The lit picture of toolbar button 1..4: 110 x 45 pixels, yellow caption on dark blue.
QImage ToolbarLit(int button);
// The captions of the four toolbar buttons.
const char* ToolbarCaption(int button);

} // namespace Artwork
