#include "core/graphics/LogoPlan.h"

#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

namespace {

std::vector<LogoBand> BandsOf(const LogoGeometry& g, LogoRgb start, LogoRgb end) {
    std::vector<LogoBand> bands;
    ForEachLogoBand(g, start, end, [&bands](const LogoBand& b) { bands.push_back(b); });
    return bands;
}

// Band height H div 255 (at least 1), H div S + 1 bands from the bottom edge up, red climbing but short of
// the end color, the last band reaching row 0.
TEST(LogoPlan, BandsTileDownwardFromTheBottomEdge) {
    const std::tuple<int, int, std::size_t> cases[] = {
        {1, 1, 2}, {509, 1, 510}, {510, 2, 256}, {765, 3, 256}, {2000, 7, 286}};
    for (const auto& [H, S, passes] : cases) {
        const LogoGeometry g = PlanLogoGeometry(H * 15.0, 375, 15, 15);
        EXPECT_EQ(std::tie(g.H, g.S), std::tie(H, S));
        const auto bands = BandsOf(g, {0, 0, 0}, {255, 128, 7});
        ASSERT_EQ(bands.size(), passes) << "H " << H;
        for (std::size_t k = 0; k < bands.size(); ++k) {
            EXPECT_EQ(bands[k].bottom, H - static_cast<int>(k) * S);
            EXPECT_EQ(bands[k].top, bands[k].bottom - S);
            EXPECT_GE(bands[k].color & 0xFF, k == 0 ? 0u : bands[k - 1].color & 0xFF);
        }
        EXPECT_LT(bands.back().color & 0xFF, 255u);
        EXPECT_LE(bands.back().top, 0);
    }
    // A strip of no height faults in the color step after its first band (0/0); that band stays drawn.
    std::vector<LogoBand> bands;
    const auto keep = [&](const LogoBand& b) { bands.push_back(b); };
    EXPECT_EQ(ErrorNumberOf([&] { ForEachLogoBand({0, 25, 1}, {}, {}, keep); }), RuntimeError::Overflow);
    EXPECT_EQ(bands, (std::vector{LogoBand{0, -1, 25, 0, 0}}));
}

TEST(LogoPlan, ColorsStepHalfToEvenInEachChannel) {
    // Four pixels, red from 0 to 2: 0, 0, 0 (0.5), 1, then 2 (1.5) above the strip.
    std::vector<std::uint32_t> reds;
    for (const LogoBand& b : BandsOf({4, 3, 1}, {0, 0, 0}, {2, 0, 0})) {
        reds.push_back(b.color);
    }
    EXPECT_EQ(reds, (std::vector<std::uint32_t>{0, 0, 0, 1, 2}));
    // Blue falls while green rises; the value is laid out 0x00BBGGRR.
    const auto mixed = BandsOf({2, 1, 1}, {10, 0, 200}, {10, 100, 0});
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(std::tie(mixed[0].color, mixed[1].color, mixed[2].color),
              std::make_tuple(0xC8000Au, 0xC8000Au, 0x64320Au)); // 50 green, 100 blue
}

TEST(LogoPlan, GeometryRoundsHalfToEvenAndTruncatesTheDivision) {
    const std::tuple<double, double, int> cases[] = {
        {5400, 15, 360}, {29, 15, 1}, {14.5, 15, 0}, {300, 7.5, 37}, {300, 8.5, 37}};
    for (const auto& [twips, tpp, pixels] : cases) {
        EXPECT_EQ(PlanLogoGeometry(twips, 0, tpp, tpp).H, pixels) << twips << " / " << tpp;
        EXPECT_EQ(PlanLogoGeometry(0, twips, tpp, tpp).W, pixels) << twips << " / " << tpp;
    }
    EXPECT_EQ(ErrorNumberOf([] { PlanLogoGeometry(5400, 375, 15, 0.4); }), RuntimeError::DivisionByZero);
    EXPECT_EQ(ErrorNumberOf([] { PlanLogoGeometry(5400, 375, 0.5, 15); }), RuntimeError::DivisionByZero);
}

TEST(LogoPlan, MulDivRoundsHalvesAwayFromZeroAndAnswersMinusOneWhenItCannot) {
    constexpr std::int32_t Most = std::numeric_limits<std::int32_t>::max();
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {15, 96, 72, 20},   {7, 1, 2, 4},  {-7, 1, 2, -4},   {7, 1, -2, -4},
        {Most, 3, 3, Most}, {5, 3, 0, -1}, {Most, 2, 1, -1}, {-Most, 2, 1, -1},
    };
    for (const auto& [a, b, c, result] : cases) {
        EXPECT_EQ(MulDiv(a, b, c), result) << a << " * " << b << " / " << c;
    }
}

TEST(LogoPlan, FontRecordFromTheFont) {
    // The font and dpi; the height, weight, italic, underline, strike-out and character set filled in.
    const std::tuple<LogoFontSource, int, std::int32_t, std::int32_t, std::uint8_t, std::uint8_t,
                     std::uint8_t, std::uint8_t>
        cases[] = {
            {{"Arial", 14.25, true, true, false, false, 0}, 96, -19, 700, 255, 0, 0, 0},
            {{"Arial Black", 9.75, false, false, true, true, 2}, 96, -13, 400, 0, 255, 255, 2},
            {{"X", 14.5, false, false, false, false, 0x1A1}, 96, -19, 400, 0, 0, 0, 0xA1},
            {{"X", 15.5, true, false, false, false, 0}, 96, -21, 700, 0, 0, 0, 0},
            {{"X", 12, false, false, false, false, 0}, 120, -20, 400, 0, 0, 0, 0},
        };
    for (const auto& [font, dpi, height, weight, italic, underline, strike, charset] : cases) {
        const LogoFontRecord r = MakeLogoFontRecord(font, dpi);
        EXPECT_EQ(std::tie(r.height, r.weight, r.italic, r.underline, r.strikeOut, r.charSet),
                  std::tie(height, weight, italic, underline, strike, charset))
            << font.name << ' ' << font.points;
        EXPECT_EQ(std::tie(r.quality, r.escapement), std::make_tuple(std::uint8_t{4}, 0));
        EXPECT_STREQ(r.faceName.data(), font.name.c_str());
    }
    // The face name holds 31 bytes; a size beyond 16-bit points overflows.
    LogoFontSource font{std::string(40, 'N'), 10};
    EXPECT_EQ(MakeLogoFontRecord(font, 96).faceName.data(), std::string(31, 'N'));
    font.points = 40000;
    EXPECT_EQ(ErrorNumberOf([&] { MakeLogoFontRecord(font, 96); }), RuntimeError::Overflow);
}

} // namespace
