#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The geometry, colors and font of the gradient logo strip, worked out without any drawing service so
// that every pixel and every font value can be checked. The drawing step only carries these out.

// A color as three signed 16-bit components, each 0..255 in use.
struct LogoRgb {
    std::int16_t red = 0;
    std::int16_t green = 0;
    std::int16_t blue = 0;
    bool operator==(const LogoRgb&) const = default;
};

// The components of a 0x00BBGGRR value.
LogoRgb RgbFromColorValue(std::uint32_t rgb);

// Strip size in pixels and the band height.
struct LogoGeometry {
    int H = 0;
    int W = 0;
    int S = 1;
};

// H = round(heightTwips) div round(twipsPerPixelY), W likewise, S = H div 255 but at least 1.
// Rounding halves to even, division truncated; a twips-per-pixel that rounds to 0 is "Division by zero".
LogoGeometry PlanLogoGeometry(double heightTwips, double widthTwips, double twipsPerPixelX,
                              double twipsPerPixelY);

// One band: a rectangle in pixels (right and bottom exclusive) and its color as 0x00BBGGRR.
struct LogoBand {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::uint32_t color = 0;
    bool operator==(const LogoBand&) const = default;
};

// Walks the bands from the bottom up, handing each to `fill` before working out the next color, so a
// failing color step leaves the bands already filled in place. H div S + 1 bands; the last ones may lie
// above row 0. A floating-point fault in the color step (a zero-height strip) throws RuntimeError.
void ForEachLogoBand(const LogoGeometry& geometry, LogoRgb start, LogoRgb end,
                     const std::function<void(const LogoBand&)>& fill);

// The font record handed to the font service.
struct LogoFontRecord {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{}; // zero-terminated
    bool operator==(const LogoFontRecord&) const = default;
};

inline constexpr std::uint8_t AntialiasedQuality = 4;
inline constexpr std::int32_t UpwardEscapement = 900;

// What the strip's font says of itself.
struct LogoFontSource {
    std::string name; // one byte per character
    double points = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int charset = 0;
};

// The font record for a font at `dpi` dots per inch vertically: height -MulDiv(points rounded half to even,
// dpi, 72), weight 700 or 400, flags 255 or 0, the charset's low byte, antialiased quality, the name cut to
// 31 bytes. Escapement stays 0; the caller turns it. "Overflow" for a size beyond 16-bit points.
LogoFontRecord MakeLogoFontRecord(const LogoFontSource& font, int dpi);

// a * b / c in 64 bits, rounded to the nearest with halves away from zero; -1 for c == 0 or a result
// beyond 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// Where the caption starts: the left edge, 16 pixels above the bottom.
struct LogoPoint {
    int x = 0;
    int y = 0;
    bool operator==(const LogoPoint&) const = default;
};
LogoPoint LogoCaptionOrigin(const LogoGeometry& geometry);

// Everything at once, for inspection; throws where ForEachLogoBand does.
struct LogoPlan {
    LogoGeometry geometry;
    std::vector<LogoBand> bands;
    LogoFontRecord font;
    LogoPoint captionOrigin;
};

struct LogoPlanInput {
    double heightTwips = 0;
    double widthTwips = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    LogoRgb start;
    LogoRgb end;
    LogoFontSource font;
    int dpi = 96;
};

LogoPlan PlanLogo(const LogoPlanInput& input);
