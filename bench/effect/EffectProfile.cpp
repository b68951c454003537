// Runs one benchmark case for a fixed number of 512-frame blocks, for instruction counts under
// callgrind (reproducible where timings are not) and for comparing outputs between builds:
//   kavren_effect_profile initial|heavy|full[-editor] [blocks] [raw-float-output-file]
// ("-editor": with an editor open, which has the effect feed its displays).
#include "EffectCases.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    using namespace effectbench;
    const std::string name = argc > 1 ? argv[1] : "initial";
    const int blocks = argc > 2 ? std::stoi(argv[2]) : 1000;
    std::unique_ptr<Bench> bench;
    if (name == "initial")
        bench = std::make_unique<InitialSettings>();
    else if (name == "heavy")
        bench = std::make_unique<HeavyFilters>();
    else if (name == "full")
        bench = std::make_unique<FullChain>();
    else if (name == "initial-editor")
        bench = std::make_unique<EditorOpen<InitialSettings>>();
    else if (name == "full-editor")
        bench = std::make_unique<EditorOpen<FullChain>>();
    else {
        std::fprintf(stderr, "usage: %s initial|heavy|full[-editor] [blocks] [output-file]\n", argv[0]);
        return 2;
    }
    FILE* dump = argc > 3 ? std::fopen(argv[3], "wb") : nullptr;
    for (int i = 0; i < blocks; ++i) {
        bench->block();
        if (dump) {
            std::fwrite(bench->outL.data(), sizeof(float), bench->outL.size(), dump);
            std::fwrite(bench->outR.data(), sizeof(float), bench->outR.size(), dump);
        }
    }
    if (dump) std::fclose(dump);
    return 0;
}
