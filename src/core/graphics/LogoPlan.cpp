#include "core/graphics/LogoPlan.h"

#include "core/runtime/Conversions.h"
#include "core/runtime/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

std::int64_t RoundToWhole(double value) {
    const double rounded = RoundHalfEven(value);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 2147483647.0) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    return static_cast<std::int64_t>(rounded);
}

int PixelsOf(double twips, double twipsPerPixel) {
    const std::int64_t divisor = RoundToWhole(twipsPerPixel);
    if (divisor == 0) {
        throw RuntimeError(RuntimeError::DivisionByZero);
    }
    return static_cast<int>(RoundToWhole(twips) / divisor);
}

// A floating-point division that faults the way the runtime reports it: 0/0 is an invalid operation
// (reported as an overflow), x/0 a division by zero, an infinite result an overflow.
double CheckedDivide(double numerator, double denominator) {
    if (denominator == 0.0) {
        throw RuntimeError(numerator == 0.0 || std::isnan(numerator) ? RuntimeError::Overflow
                                                                     : RuntimeError::DivisionByZero);
    }
    const double quotient = numerator / denominator;
    if (!std::isfinite(quotient)) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    return quotient;
}

std::int16_t Step(int H, int u, double d, std::int16_t start) {
    return CInt(CheckedDivide(static_cast<double>(H - u) * d, static_cast<double>(H)) + start);
}

std::uint32_t ColorValue(const LogoRgb& c) {
    return static_cast<std::uint32_t>(c.red + 256 * c.green + 65536 * c.blue);
}

} // namespace

LogoRgb RgbFromColorValue(std::uint32_t rgb) {
    return {static_cast<std::int16_t>(rgb & 0xFFu), static_cast<std::int16_t>((rgb >> 8) & 0xFFu),
            static_cast<std::int16_t>((rgb >> 16) & 0xFFu)};
}

LogoGeometry PlanLogoGeometry(double heightTwips, double widthTwips, double twipsPerPixelX,
                              double twipsPerPixelY) {
    LogoGeometry g;
    g.H = PixelsOf(heightTwips, twipsPerPixelY);
    g.W = PixelsOf(widthTwips, twipsPerPixelX);
    g.S = g.H / 255;
    if (g.S == 0) {
        g.S = 1;
    }
    return g;
}

void ForEachLogoBand(const LogoGeometry& geometry, LogoRgb start, LogoRgb end,
                     const std::function<void(const LogoBand&)>& fill) {
    const int H = geometry.H;
    const int S = geometry.S;
    LogoBand band{0, 0, geometry.W, H, 0};
    LogoRgb current = start;
    const double dRed = static_cast<std::int16_t>(end.red - start.red);
    const double dGreen = static_cast<std::int16_t>(end.green - start.green);
    const double dBlue = static_cast<std::int16_t>(end.blue - start.blue);

    for (int u = H; u >= 0; u -= S) {
        band.top = band.bottom - S;
        band.color = ColorValue(current);
        fill(band);
        band.bottom = band.top;
        // The next band's color comes from this pass's u, so the first two bands share the start color.
        current.red = Step(H, u, dRed, start.red);
        current.green = Step(H, u, dGreen, start.green);
        current.blue = Step(H, u, dBlue, start.blue);
    }
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) {
        return -1;
    }
    std::int64_t numerator = static_cast<std::int64_t>(a) * b;
    std::int64_t divisor = c;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = numerator >= 0 ? (numerator + half) / divisor : (numerator - half) / divisor;
    if (result > std::numeric_limits<std::int32_t>::max() ||
        result < -std::numeric_limits<std::int32_t>::max()) {
        return -1;
    }
    return static_cast<std::int32_t>(result);
}

LogoFontRecord MakeLogoFontRecord(const LogoFontSource& font, int dpi) {
    LogoFontRecord record;
    // The face-name field holds 31 bytes and its terminator; a longer name is cut.
    const std::size_t length = std::min(font.name.size(), record.faceName.size() - 1);
    for (std::size_t i = 0; i < length; ++i) {
        record.faceName[i] = font.name[i];
    }
    record.height = -MulDiv(CInt(font.points), dpi, 72);
    record.italic = font.italic ? 255 : 0;
    record.weight = font.bold ? 700 : 400;
    record.underline = font.underline ? 255 : 0;
    record.strikeOut = font.strikethrough ? 255 : 0;
    record.charSet = static_cast<std::uint8_t>(font.charset & 0xFF);
    record.quality = AntialiasedQuality;
    return record;
}

LogoPoint LogoCaptionOrigin(const LogoGeometry& geometry) {
    return {0, geometry.H - 16};
}

LogoPlan PlanLogo(const LogoPlanInput& input) {
    LogoPlan plan;
    plan.geometry =
        PlanLogoGeometry(input.heightTwips, input.widthTwips, input.twipsPerPixelX, input.twipsPerPixelY);
    ForEachLogoBand(plan.geometry, input.start, input.end,
                    [&plan](const LogoBand& band) { plan.bands.push_back(band); });
    plan.font = MakeLogoFontRecord(input.font, input.dpi);
    plan.font.escapement = UpwardEscapement;
    plan.captionOrigin = LogoCaptionOrigin(plan.geometry);
    return plan;
}
