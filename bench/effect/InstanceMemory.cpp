// Resident memory that each further plug-in instance adds, as a host loading many of them sees it.
#include "vsthost/VstPluginHost.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

double residentMegabytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0.0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void runSomeAudio(kavren::host::VstPluginHost& host) {
    std::vector<float> l(512, 0.1f), r(512, -0.1f), ol(512), orr(512);
    float* ins[2] = {l.data(), r.data()};
    float* outs[2] = {ol.data(), orr.data()};
    for (int i = 0; i < 20; ++i) host.process(ins, outs, 512);
}

} // namespace

int main() {
    constexpr int kInstances = 20;
    std::vector<std::unique_ptr<kavren::host::VstPluginHost>> hosts;
    hosts.push_back(std::make_unique<kavren::host::VstPluginHost>(KAVREN_PLUGIN_PATH));
    hosts.back()->start(44100.0f, 512);
    runSomeAudio(*hosts.back());
    double base = residentMegabytes();
    for (int i = 1; i <= kInstances; ++i) {
        hosts.push_back(std::make_unique<kavren::host::VstPluginHost>(KAVREN_PLUGIN_PATH));
        hosts.back()->start(44100.0f, 512);
        runSomeAudio(*hosts.back());
    }
    std::printf("resident memory per further instance: %.3f MB (%d instances)\n",
                (residentMegabytes() - base) / kInstances, kInstances);
    return 0;
}
