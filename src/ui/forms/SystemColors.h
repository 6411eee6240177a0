#pragma once

#include <cstdint>

// Color values are plain 0x00BBGGRR RGB, or a system-color reference (high bit set, low byte the index).
namespace SystemColor {
inline constexpr std::uint32_t ActiveBorder = 0x8000000A;
inline constexpr std::uint32_t MenuBar = 0x80000004;
inline constexpr std::uint32_t Window = 0x80000005;
inline constexpr std::uint32_t WindowText = 0x80000008;
inline constexpr std::uint32_t HighlightText = 0x8000000E;
inline constexpr std::uint32_t ButtonFace = 0x8000000F;
} // namespace SystemColor

// Translates a color value to 0x00BBGGRR through the application palette; unknown references give black.
std::uint32_t TranslateColor(std::uint32_t color);
