// One idle pass of the open editor's central display: new levels and curve inputs, one spectrum frame
// analysed (the effect processes 1024 noise samples between passes, untimed: about as much as between
// two repaints), the two modulated curves recomputed (the LFO moves both cut-offs), then a full repaint
// of curves, grid, spectrum, peak trace and meters, at 100 % and 200 %.
#include "editor/MultiDisplay.h"
#include "editor/PlotDisplay.h"
#include "gui/DrawContext.h"
#include "gui/PixelBuffer.h"
#include "utilities/EffectHarness.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void repaint(benchmark::State& state) {
    const double scale = double(state.range(0)) / 100.0;
    EffectHarness harness;
    CKavren& effect = *harness.effect;
    Mirda::ModuleWindowContext context;
    context.effect = &effect;
    context.scale = scale;
    context.poll = [](Mirda::CControl* control, Tessu::ParameterProperty* parameter) {
        control->bindParameter(parameter);
    };
    auto* display =
        new CMultiDisplay(Mirda::CRect(0, 0, std::round(496 * scale), std::round(156 * scale)), context);
    harness.set("LOWPASSFREQ", 2000.0f);
    harness.set("HIGHPASSFREQ", 200.0f);
    harness.set("LOWPASSSLOPE", 4.0f);
    harness.set("LOWPASSQ", 0.7f);
    harness.set("LP StrengthLFO", 1.0f);
    harness.set("HP StrengthLFO", 1.0f);
    harness.set("LFO Sync", 0.0f);
    harness.set("LFO Rate", 5.0f);
    Mirda::COwnedPixelBuffer pixels(int32_t(std::round(496 * scale)), int32_t(std::round(156 * scale)));
    auto* drawContext = new Mirda::CDrawContext(pixels.desc());
    Stereo noise(1024);
    KavrenTest::WhiteNoise white(1);
    for (size_t i = 0; i < noise.size(); ++i) noise.left[i] = noise.right[i] = 0.3f * white.next();
    double now = 0;
    int analysed = 0, recomputed = display->plot()->curvesComputed();
    for (auto _ : state) {
        state.PauseTiming();
        harness.run(noise);
        state.ResumeTiming();
        analysed += display->plot()->analyser().update(effect.spectrumFeed()) ? 1 : 0;
        display->update(now += 25.0);
        display->draw(drawContext);
        benchmark::DoNotOptimize(pixels.desc().pixels);
    }
    state.counters["frames_analysed_per_pass"] = double(analysed) / double(state.iterations());
    state.counters["curves_per_pass"] =
        double(display->plot()->curvesComputed() - recomputed) / double(state.iterations());
    // Share of one core at 40 repaints per second.
    state.counters["core_percent_at_40_per_s"] = benchmark::Counter(
        double(state.iterations()) / 40.0 / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    drawContext->release();
    display->release();
}

double fastest(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(repaint)
    ->Name("DisplayRepaint")
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0)
    ->ComputeStatistics("min", fastest);
BENCHMARK_MAIN();
