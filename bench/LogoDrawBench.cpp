// Times painting the logo strip: the label's own strip and a tall one.
#include "core/graphics/LogoPlan.h"
#include "support/BenchSupport.h"
#include "ui/forms/PictureBox.h"
#include "ui/graphics/CLogo.h"

#include <QApplication>
#include <QFont>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void DrawStrip(benchmark::State& state) {
    const int heightPixels = static_cast<int>(state.range(0));
    PictureBox box;
    box.resize(25, heightPixels);
    QFont font("Arial");
    font.setPointSizeF(14.25);
    font.setBold(true);
    font.setItalic(true);
    box.setFont(font);
    CLogo logo;
    logo.setDrawingObject(&box);
    logo.setCaption("Vantrell Disk Works");
    for (auto _ : state) {
        logo.Draw();
        benchmark::DoNotOptimize(box.image().constBits());
    }
    state.counters["rows"] = box.image().height();
}

void PlanStrip(benchmark::State& state) {
    LogoPlanInput input;
    input.heightTwips = static_cast<double>(state.range(0)) * 15.0;
    input.widthTwips = 375;
    input.end = {192, 192, 192};
    input.font = {"Arial", 14.25, true, true, false, false, 0};
    for (auto _ : state) {
        LogoPlan plan = PlanLogo(input);
        benchmark::DoNotOptimize(plan.bands.data());
    }
}

// 360 pixels is the label's strip (5400 x 375 twips at 15 twips per pixel).
BENCHMARK(DrawStrip)->Arg(360)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlanStrip)->Arg(360)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
