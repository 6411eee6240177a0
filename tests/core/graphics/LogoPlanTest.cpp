#include "core/graphics/LogoPlan.h"

#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

std::vector<LogoBand> BandsOf(const LogoGeometry& g, LogoRgb start, LogoRgb end) {
    std::vector<LogoBand> bands;
    ForEachLogoBand(g, start, end, [&bands](const LogoBand& b) { bands.push_back(b); });
    return bands;
}

// The label's strip: black at the bottom edge up to just short of button face, the caption reading upward.
TEST(LogoPlan, LabelStripBlackToButtonFace) {
    LogoPlanInput input{.heightTwips = 5400, .widthTwips = 375, .start = {0, 0, 0}, .end = {192, 192, 192},
                        .font = {"Arial", 14.25, true, true}}; // 15 twips a pixel, 96 dpi
    const LogoPlan plan = PlanLogo(input);
    EXPECT_EQ(std::tie(plan.geometry.H, plan.geometry.W, plan.geometry.S), std::make_tuple(360, 25, 1));
    ASSERT_EQ(plan.bands.size(), 361u);
    EXPECT_EQ(plan.bands[0], (LogoBand{0, 359, 25, 360, 0}));
    EXPECT_EQ(plan.bands[1], (LogoBand{0, 358, 25, 359, 0})); // the first two bands share the start color
    EXPECT_EQ(plan.bands[2].color, 0x010101u);
    EXPECT_EQ(plan.bands[359].color, 0xBFBFBFu);
    EXPECT_EQ(plan.bands.back(), (LogoBand{0, -1, 25, 0, 0xBFBFBFu})); // above the strip, short of the end
    EXPECT_EQ(std::tie(plan.font.height, plan.font.weight, plan.font.escapement),
              std::make_tuple(-19, 700, 900));
    EXPECT_EQ(plan.captionOrigin, (LogoPoint{0, 344}));

    // A zero-height strip faults in the color step after its first band (0/0).
    input.heightTwips = 0;
    EXPECT_EQ(ErrorNumberOf([&] { PlanLogo(input); }), RuntimeError::Overflow);
    std::vector<LogoBand> bands;
    const auto keep = [&](const LogoBand& b) { bands.push_back(b); };
    EXPECT_THROW(ForEachLogoBand({0, 25, 1}, {}, {}, keep), RuntimeError);
    EXPECT_EQ(bands, (std::vector{LogoBand{0, -1, 25, 0, 0}}));
}

// Band height H div 255 (at least 1), H div S + 1 bands from the bottom edge up, red climbing but short of
// the end color, the last band reaching row 0.
TEST(LogoPlan, BandsTileDownwardFromTheBottomEdge) {
    const struct {
        int H, S;
        std::size_t passes;
    } cases[] = {{1, 1, 2},     {255, 1, 256}, {509, 1, 510}, {510, 2, 256},
                 {764, 2, 383}, {765, 3, 256}, {2000, 7, 286}};
    for (const auto& c : cases) {
        const LogoGeometry g = PlanLogoGeometry(c.H * 15.0, 375, 15, 15);
        EXPECT_EQ(std::tie(g.H, g.S), std::tie(c.H, c.S));
        const auto bands = BandsOf(g, {0, 0, 0}, {255, 128, 7});
        ASSERT_EQ(bands.size(), c.passes) << "H " << c.H;
        for (std::size_t k = 0; k < bands.size(); ++k) {
            EXPECT_EQ(bands[k].bottom, c.H - static_cast<int>(k) * c.S);
            EXPECT_EQ(bands[k].top, bands[k].bottom - c.S);
            EXPECT_GE(bands[k].color & 0xFF, k == 0 ? 0u : bands[k - 1].color & 0xFF);
        }
        EXPECT_LT(bands.back().color & 0xFF, 255u);
        EXPECT_LE(bands.back().top, 0);
    }
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
    const struct {
        double twips, tpp;
        int pixels;
    } cases[] = {{5400, 15, 360}, {5400.5, 15, 360}, {5401.5, 15, 360}, {29, 15, 1},
                 {14.5, 15, 0},   {300, 7.5, 37},    {300, 8.5, 37},    {375, 15, 25}};
    for (const auto& c : cases) {
        EXPECT_EQ(PlanLogoGeometry(c.twips, 0, c.tpp, c.tpp).H, c.pixels) << c.twips << " / " << c.tpp;
        EXPECT_EQ(PlanLogoGeometry(0, c.twips, c.tpp, c.tpp).W, c.pixels) << c.twips << " / " << c.tpp;
    }
    EXPECT_EQ(ErrorNumberOf([] { PlanLogoGeometry(5400, 375, 15, 0.4); }), RuntimeError::DivisionByZero);
    EXPECT_EQ(ErrorNumberOf([] { PlanLogoGeometry(5400, 375, 0.5, 15); }), RuntimeError::DivisionByZero);
}

TEST(LogoPlan, FontRecordFromTheFont) {
    const struct {
        LogoFontSource font;
        int dpi;
        std::int32_t height, weight;
        std::uint8_t italic, underline, strike, charset;
    } cases[] = {
        {{"Arial", 14.25, true, true, false, false, 0}, 96, -19, 700, 255, 0, 0, 0},
        {{"MS Sans Serif", 8.25, false, false, false, false, 0}, 96, -11, 400, 0, 0, 0, 0},
        {{"Arial Black", 9.75, false, false, true, true, 2}, 96, -13, 400, 0, 255, 255, 2},
        {{"X", 14.5, false, false, false, false, 0x1A1}, 96, -19, 400, 0, 0, 0, 0xA1},
        {{"X", 15.5, true, false, false, false, 0}, 96, -21, 700, 0, 0, 0, 0},
        {{"X", 12, false, false, false, false, 0}, 120, -20, 400, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const LogoFontRecord r = MakeLogoFontRecord(c.font, c.dpi);
        EXPECT_EQ(std::tie(r.height, r.weight, r.italic, r.underline, r.strikeOut, r.charSet),
                  std::tie(c.height, c.weight, c.italic, c.underline, c.strike, c.charset))
            << c.font.name << ' ' << c.font.points;
        EXPECT_EQ(std::tie(r.quality, r.escapement), std::make_tuple(std::uint8_t{4}, 0));
        EXPECT_STREQ(r.faceName.data(), c.font.name.c_str());
    }
    // The face name holds 31 bytes; a size beyond 16-bit points overflows.
    LogoFontSource font{std::string(40, 'N'), 10};
    EXPECT_EQ(MakeLogoFontRecord(font, 96).faceName.data(), std::string(31, 'N'));
    font.points = 40000;
    EXPECT_EQ(ErrorNumberOf([&] { MakeLogoFontRecord(font, 96); }), RuntimeError::Overflow);
}

// a * b / c rounded half away from zero; -1 for c == 0 or a result beyond 32 bits.
TEST(LogoPlan, MulDiv) {
    const struct {
        std::int32_t a, b, c, result;
    } cases[] = {
        {14, 96, 72, 19},   {8, 96, 72, 11},         {1, 1, 2, 1},       {-1, 1, 2, -1},  {3, 1, 2, 2},
        {7, 1, 3, 2},       {8, 1, 3, 3},            {1, 1, -2, -1},     {-7, -1, 3, 2},  {5, 1, 0, -1},
        {0, 0, 7, 0},       {INT_MAX, 2, 1, -1},     {INT_MAX, 2, 2, INT_MAX},            {INT_MIN, 1, 1, -1},
        {-INT_MAX, 1, 1, -INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " * " << c.b << " / " << c.c;
    }
}

} // namespace
