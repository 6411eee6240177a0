#pragma once

#include <QImage>

#include <gtest/gtest.h>

#include <string>

// Pictures of windows and printed pages, compared with the references in tests/golden/.
//
// Two pictures match when at most GoldenPixelsAllowed pixels differ by more than GoldenChannelTolerance in
// some channel. The channel tolerance absorbs a changed shade of anti-aliasing; the few pixels allowed absorb
// a stray glyph edge. A control moved by one pixel or a text drawn in another weight changes far more.
inline constexpr int GoldenChannelTolerance = 16;
inline constexpr int GoldenPixelsAllowed = 4;

// The pixels beyond the tolerance (where only one picture has pixels, all of them), and when `diff` is
// given, the expected picture faded there with the differing pixels red.
int DifferingPixels(const QImage& expected, const QImage& actual, QImage* diff = nullptr);

// Compares a picture with tests/golden/<name>.png. On a mismatch it saves <name>.actual.png and
// <name>.diff.png in golden-failures/ of the build and names them. With TESSALINE_GOLDEN_UPDATE=1 in the
// environment it writes the reference instead (scripts/golden).
::testing::AssertionResult MatchesGolden(const QImage& actual, const std::string& name);

// Pins what the machine would otherwise choose for a picture: the Fusion style with its own palette, the
// application font, and C-locale date texts. Fails when the screen is not 96 dpi at one device pixel per
// pixel, where every picture would differ.
::testing::AssertionResult PinLook();
