#include "core/graphics/LogoPlan.h"

#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

std::vector<LogoBand> BandsOf(const LogoGeometry& g, LogoRgb start, LogoRgb end) {
    std::vector<LogoBand> bands;
    ForEachLogoBand(g, start, end, [&bands](const LogoBand& b) { bands.push_back(b); });
    return bands;
}

// The color of pixel row `row` (later bands never overlap earlier ones, so the one covering it).
std::uint32_t RowColor(const std::vector<LogoBand>& bands, int row) {
    for (const auto& b : bands) {
        if (row >= b.top && row < b.bottom) {
            return b.color;
        }
    }
    ADD_FAILURE() << "row " << row << " not covered";
    return 0xFFFFFFFF;
}

TEST(LogoPlan, LabelStripBlackToButtonFace) {
    LogoPlanInput input;
    input.heightTwips = 5400;
    input.widthTwips = 375;
    input.start = {0, 0, 0};
    input.end = {192, 192, 192};
    input.font = {"Arial", 14.25, true, true, false, false, 0};
    const LogoPlan plan = PlanLogo(input);

    EXPECT_EQ(plan.geometry.H, 360);
    EXPECT_EQ(plan.geometry.W, 25);
    EXPECT_EQ(plan.geometry.S, 1);
    ASSERT_EQ(plan.bands.size(), 361u);
    EXPECT_EQ(RowColor(plan.bands, 359), 0x000000u);
    EXPECT_EQ(RowColor(plan.bands, 358), 0x000000u);
    EXPECT_EQ(RowColor(plan.bands, 357), 0x010101u);
    EXPECT_EQ(RowColor(plan.bands, 0), 0xBFBFBFu);
    // The last pass lies above the strip, still short of the end color.
    EXPECT_EQ(plan.bands.back(), (LogoBand{0, -1, 25, 0, 0xBFBFBFu}));
    EXPECT_EQ(plan.bands.front(), (LogoBand{0, 359, 25, 360, 0}));

    EXPECT_EQ(plan.font.height, -19);
    EXPECT_EQ(plan.font.escapement, 900); // the caption reads upward
    EXPECT_EQ(plan.captionOrigin, (LogoPoint{0, 344}));
}

TEST(LogoPlan, BandsTileDownwardFromTheBottomEdge) {
    const struct {
        int H;
        int S;
        std::size_t passes;
    } cases[] = {
        {255, 1, 256}, {509, 1, 510}, {510, 2, 256}, {1, 1, 2}, {764, 2, 383}, {765, 3, 256}, {2000, 7, 286},
    };
    for (const auto& c : cases) {
        const LogoGeometry g = PlanLogoGeometry(c.H * 15.0, 375, 15, 15);
        EXPECT_EQ(g.H, c.H);
        EXPECT_EQ(g.S, c.S) << "H " << c.H;
        const auto bands = BandsOf(g, {0, 0, 0}, {255, 128, 7});
        ASSERT_EQ(bands.size(), c.passes) << "H " << c.H;
        int bottom = c.H;
        for (const auto& b : bands) {
            EXPECT_EQ(b.bottom, bottom);
            EXPECT_EQ(b.top, bottom - c.S);
            bottom = b.top;
        }
        // Red climbs band by band but the last band stays short of 255; the last band reaches row 0.
        for (std::size_t k = 1; k < bands.size(); ++k) {
            EXPECT_GE(bands[k].color & 0xFF, bands[k - 1].color & 0xFF);
        }
        EXPECT_LT(bands.back().color & 0xFF, 255u);
        EXPECT_LE(bands.back().top, 0);
    }
}

TEST(LogoPlan, HalvesRoundToEven) {
    // Four pixels, red from 0 to 2: 0, 0, 0 (0.5), 1, then 2 (1.5) above the strip.
    const auto bands = BandsOf({4, 3, 1}, {0, 0, 0}, {2, 0, 0});
    ASSERT_EQ(bands.size(), 5u);
    const std::uint32_t expected[] = {0, 0, 0, 1, 2};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(bands[k].color, expected[k]) << "pass " << k;
        EXPECT_EQ(bands[k].top, 3 - static_cast<int>(k));
    }
}

TEST(LogoPlan, FallingChannelsAndChannelOrder) {
    // Blue falls while green rises; the value is laid out 0x00BBGGRR.
    const auto bands = BandsOf({2, 1, 1}, {10, 0, 200}, {10, 100, 0});
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0].color, 0xC8000Au);
    EXPECT_EQ(bands[1].color, 0xC8000Au);
    EXPECT_EQ(bands[2].color, 0x64320Au); // 50 green, 100 blue
}

TEST(LogoPlan, ZeroHeightFaultsAfterTheFirstBand) {
    const LogoGeometry g = PlanLogoGeometry(0, 375, 15, 15);
    EXPECT_EQ(g.H, 0);
    EXPECT_EQ(g.S, 1);
    std::vector<LogoBand> bands;
    EXPECT_THROW(
        ForEachLogoBand(g, {0, 0, 0}, {192, 192, 192}, [&bands](const LogoBand& b) { bands.push_back(b); }),
        RuntimeError);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0], (LogoBand{0, -1, 25, 0, 0}));

    LogoPlanInput input;
    input.widthTwips = 375;
    EXPECT_THROW(PlanLogo(input), RuntimeError);
}

TEST(LogoPlan, GeometryRoundsHalfToEvenAndTruncatesTheDivision) {
    const struct {
        double twips;
        double tpp;
        int pixels;
    } cases[] = {
        {5400, 15, 360}, {5400.5, 15, 360}, {5401.5, 15, 360}, {29, 15, 1},
        {14.5, 15, 0},   {300, 7.5, 37},    {300, 8.5, 37},    {375, 15, 25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanLogoGeometry(c.twips, 0, c.tpp, c.tpp).H, c.pixels) << c.twips << " / " << c.tpp;
        EXPECT_EQ(PlanLogoGeometry(0, c.twips, c.tpp, c.tpp).W, c.pixels) << c.twips << " / " << c.tpp;
    }
    EXPECT_EQ(ErrorNumberOf([] { PlanLogoGeometry(5400, 375, 15, 0.4); }), RuntimeError::DivisionByZero);
}

TEST(LogoFont, RecordFromTheFont) {
    const struct {
        LogoFontSource font;
        int dpi;
        std::int32_t height;
        std::int32_t weight;
        std::uint8_t italic, underline, strike, charset;
    } cases[] = {
        {{"Arial", 14.25, true, true, false, false, 0}, 96, -19, 700, 255, 0, 0, 0},
        {{"MS Sans Serif", 8.25, false, false, false, false, 0}, 96, -11, 400, 0, 0, 0, 0},
        {{"Arial Black", 9.75, false, false, true, true, 2}, 96, -13, 400, 0, 255, 255, 2},
        {{"X", 14.5, false, false, false, false, 0x1A1}, 96, -19, 400, 0, 0, 0, 0xA1},
        {{"X", 15.5, true, false, false, false, 0}, 96, -21, 700, 0, 0, 0, 0},
        {{"X", 12, false, false, false, false, 0}, 120, -20, 400, 0, 0, 0, 0},
        {{"X", 0, false, false, false, false, 0}, 96, 0, 400, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const LogoFontRecord r = MakeLogoFontRecord(c.font, c.dpi);
        EXPECT_EQ(r.height, c.height) << c.font.name << ' ' << c.font.points;
        EXPECT_EQ(r.weight, c.weight);
        EXPECT_EQ(r.italic, c.italic);
        EXPECT_EQ(r.underline, c.underline);
        EXPECT_EQ(r.strikeOut, c.strike);
        EXPECT_EQ(r.charSet, c.charset);
        EXPECT_EQ(r.quality, 4);
        EXPECT_EQ(r.escapement, 0);
        EXPECT_STREQ(r.faceName.data(), c.font.name.c_str());
    }
}

TEST(LogoFont, LongNamesAreCutAndHugeSizesOverflow) {
    LogoFontSource font{std::string(40, 'N'), 10, false, false, false, false, 0};
    const LogoFontRecord r = MakeLogoFontRecord(font, 96);
    EXPECT_EQ(std::strlen(r.faceName.data()), 31u);
    font.points = 40000;
    EXPECT_THROW(MakeLogoFontRecord(font, 96), RuntimeError);
}

TEST(MulDiv, RoundsHalvesAwayFromZeroAndFlagsFailures) {
    const struct {
        std::int32_t a, b, c, result;
    } cases[] = {
        {14, 96, 72, 19},    {8, 96, 72, 11}, {1, 1, 2, 1},        {-1, 1, 2, -1},
        {3, 1, 2, 2},        {7, 1, 3, 2},    {8, 1, 3, 3},        {1, 1, -2, -1},
        {-7, -1, 3, 2},      {5, 1, 0, -1},   {INT_MAX, 2, 1, -1}, {INT_MAX, 2, 2, INT_MAX},
        {INT_MIN, 1, 1, -1}, {0, 0, 7, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " * " << c.b << " / " << c.c;
    }
}

} // namespace
