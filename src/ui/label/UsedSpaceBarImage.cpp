#include "ui/label/UsedSpaceBarImage.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int BarWidth = 350;
constexpr int BarHeight = 16;

struct Rgb {
    double r, g, b;
};

constexpr Rgb Blue{20, 40, 210};
constexpr Rgb BlueGreen{10, 150, 160};
constexpr Rgb Green{20, 190, 40};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A fixed pseudo-random sequence, so the mottling is the same on every run.
std::uint32_t NextNoise(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

int Channel(double value) {
    return std::clamp(static_cast<int>(value + 0.5), 0, 255);
}

} // namespace

QImage UsedSpaceBarImage() {
    QImage image(BarWidth, BarHeight, QImage::Format_RGB888);
    std::uint32_t state = 0x2545F491u;
    for (int y = 0; y < BarHeight; ++y) {
        auto* line = image.scanLine(y);
        for (int x = 0; x < BarWidth; ++x) {
            const double t = static_cast<double>(x) / (BarWidth - 1);
            const Rgb base = t < 0.5 ? Mix(Blue, BlueGreen, t * 2.0) : Mix(BlueGreen, Green, t * 2.0 - 1.0);
            // Brightness varies by up to +-12% per pixel: the mottled look.
            const double shade = 0.88 + (NextNoise(state) % 241) / 1000.0;
            line[x * 3 + 0] = static_cast<uchar>(Channel(base.r * shade));
            line[x * 3 + 1] = static_cast<uchar>(Channel(base.g * shade));
            line[x * 3 + 2] = static_cast<uchar>(Channel(base.b * shade));
        }
    }
    return image;
}
