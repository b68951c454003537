// What the editor's thread spends on the preset folder: the first scan, which creates the folder and
// writes the factory presets into it (the first opening of the preset menu), and "Restore Factory
// Presets" over a full folder. Each run writes into a fresh folder under TMPDIR (default /tmp), so point
// TMPDIR at the file system users keep their documents on.
#include "core/ResourceStoreAccess.h"
#include "kavren/PresetLibrary.h"
#include "presets/CPresetInterface.h"
#include "utilities/TempFolder.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

template <typename Prepare, typename Measured>
void timeEachRun(benchmark::State& state, Prepare prepare, Measured measured) {
    const kavren::PresetLibrary carried(KAVREN_PLUGIN_PATH);
    Core::setLinkedResources(carried.store());
    for (auto _ : state) {
        KavrenTest::TempFolder home;
        Tessu::CPresetInterface library(home / "Presets", nullptr, nullptr);
        prepare(library);
        const auto start = std::chrono::steady_clock::now();
        measured(library);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.counters["presets"] = library.getEntryCount(); // listed after the first scan
    }
    Core::setLinkedResources({});
}

void firstScan(benchmark::State& state) {
    timeEachRun(
        state, [](Tessu::CPresetInterface&) {}, [](Tessu::CPresetInterface& library) { library.scan(); });
}

void restoreOverFullFolder(benchmark::State& state) {
    timeEachRun(
        state, [](Tessu::CPresetInterface& library) { library.scan(); },
        [](Tessu::CPresetInterface& library) { library.restoreFactoryPresets(); });
}

} // namespace

BENCHMARK(firstScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(restoreOverFullFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
