#pragma once

// The used-space bar is 4900 twips wide when full.
inline constexpr float FullProgBarTwips = 4900.0f;

// The width in twips of the used-space bar for a used percentage: the percentage as a single, rounded to a
// whole 16-bit number halves to even, as a share of the full width, in single precision. A percentage
// outside the 16-bit range (or not a number) fails with "Overflow".
float ProgBarWidthTwips(double usedPercent);
