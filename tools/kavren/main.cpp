// kavren: the Kavren XL command-line host. It loads the plug-in library the way a DAW does and uses it
// to describe the effect and to render audio files through it.
#include "kavren/AudioFile.h"
#include "kavren/DemoSignal.h"
#include "kavren/Info.h"
#include "kavren/ParameterSettings.h"
#include "kavren/Render.h"
#include "vsthost/VstPluginHost.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: kavren info [--plugin PATH]\n"
    "       kavren render IN OUT [--set KEY=VALUE]... [--block N] [--rate HZ] [--tempo BPM] [--playing]\n"
    "                            [--plugin PATH]\n"
    "       kavren render --demo OUT.wav [options as above]\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::string> settings;
    std::string pluginPath;
    int blockSize = 512;
    int rate = 0;
    double tempo = 120.0;
    bool playing = false;
    bool demo = false;
};

double readNumber(const std::string& option, const std::string& text, double low, double high) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !(value >= low && value <= high))
        throw UsageError(option + " needs a number from " + std::to_string(int(low)) + " to " +
                         std::to_string(int(high)) + ", not '" + text + "'");
    return value;
}

Arguments parse(int argc, char** argv) {
    Arguments args;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--plugin")
            args.pluginPath = value();
        else if (a == "--set")
            args.settings.push_back(value());
        else if (a == "--block")
            args.blockSize = int(readNumber(a, value(), 1, 65536));
        else if (a == "--rate")
            args.rate = int(readNumber(a, value(), 8000, 384000));
        else if (a == "--tempo")
            args.tempo = readNumber(a, value(), 10, 999);
        else if (a == "--playing")
            args.playing = true;
        else if (a == "--demo")
            args.demo = true;
        else if (a.size() > 1 && a[0] == '-')
            throw UsageError("unknown option " + a);
        else
            args.positional.push_back(a);
    }
    if (args.pluginPath.empty()) args.pluginPath = kavren::host::defaultPluginPath();
    return args;
}

void showProgress(double fraction) {
    constexpr int kWidth = 40;
    int filled = int(fraction * kWidth);
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(kWidth - filled), '.').c_str(), int(fraction * 100.0));
    if (fraction >= 1.0) std::fputc('\n', stderr);
}

int render(const Arguments& args) {
    kavren::RenderOptions options;
    options.pluginPath = args.pluginPath;
    options.blockSize = args.blockSize;
    options.tempo = args.tempo;
    options.playing = args.playing;
    for (const std::string& s : args.settings) {
        try {
            options.settings.push_back(kavren::resolveSetting(s));
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
    }

    kavren::Audio input;
    kavren::AudioFormat format = kavren::wav24();
    std::string outPath;
    if (args.demo) {
        if (args.positional.size() != 1) throw UsageError("render --demo takes one output file");
        input = kavren::makeDemoSignal(args.rate ? args.rate : 44100);
        outPath = args.positional[0];
    } else {
        if (args.positional.size() != 2) throw UsageError("render takes an input and an output file");
        input = kavren::readAudio(args.positional[0], format);
        if (args.rate && args.rate != input.sampleRate)
            throw UsageError("'" + args.positional[0] + "' is at " + std::to_string(input.sampleRate) +
                             " Hz; --rate cannot resample a file");
        outPath = args.positional[1];
    }
    bool terminal = isatty(STDERR_FILENO);
    kavren::Audio output = kavren::renderThroughPlugin(
        input, options, terminal ? std::function<void(double)>(showProgress) : nullptr);
    kavren::writeAudio(outPath, output, format);
    std::cout << "Rendered " << output.frames() << " frames at " << output.sampleRate << " Hz to " << outPath
              << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return kUsageError;
    }
    std::string command = argv[1];
    try {
        Arguments args = parse(argc, argv);
        if (command == "info") {
            if (!args.positional.empty()) throw UsageError("info takes no file arguments");
            kavren::printPluginInfo(args.pluginPath, std::cout);
            return 0;
        }
        if (command == "render") return render(args);
        if (command == "--help" || command == "help") {
            std::cout << kUsage;
            return 0;
        }
        throw UsageError("unknown command '" + command + "'");
    } catch (const UsageError& e) {
        std::cerr << "kavren: " << e.what() << "\n" << kUsage;
    } catch (const std::exception& e) {
        std::cerr << "kavren: " << e.what() << "\n";
    }
    return kUsageError;
}
