#pragma once

class QWidget;

// Gives `window` and every widget in it the process-wide instance of its palette: widgets whose colours
// are equal then hold the same palette object, in this window and in every later one.
//
// The style caches the pixmaps it draws (button bevels, frames, arrows) under the palette's cache key, and
// Qt gives each widget that inherits colours from a window with its own palette a palette copy of its own,
// with a new key. A window made again and again would fill the cache with copies of the same pictures;
// with shared palettes it finds them there. Call once the window's colours are set.
void ShareIdenticalPalettes(QWidget& window);
