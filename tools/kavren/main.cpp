// kavren: the Kavren XL command-line host. It loads the plug-in library the way a DAW does and uses it
// to describe the effect and to render audio files through it.
#include "kavren/AudioFile.h"
#include "kavren/DemoSignal.h"
#include "kavren/Editor.h"
#include "kavren/Info.h"
#include "kavren/ParameterSettings.h"
#include "kavren/PresetLibrary.h"
#include "kavren/Render.h"
#include "kavren/Support.h"
#include "kavren/Terminal.h"
#include "vsthost/VstPluginHost.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kErrorStatus = 2;

const char* const kUsage =
    "usage: kavren info [--plugin PATH]\n"
    "       kavren presets [--plugin PATH]\n"
    "       kavren render IN OUT [--preset NAME|FILE.fxp] [--set KEY=VALUE]... [--block N] [--rate HZ]\n"
    "                            [--tempo BPM] [--playing] [--plugin PATH]\n"
    "       kavren render --demo OUT.wav [options as above]\n"
    "       kavren preset save FILE.fxp [--preset NAME|FILE.fxp] [--set KEY=VALUE]... [--plugin PATH]\n"
    "       kavren support\n"
    "       kavren edit [--preset NAME|FILE.fxp] [--set KEY=VALUE]... [--scale S] [--plugin PATH]\n"
    "       kavren snapshot OUT.png [--preset NAME|FILE.fxp] [--set KEY=VALUE]... [--scale S] [--input "
    "FILE]\n"
    "                               [--click X,Y]... [--plugin PATH]\n";

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::string> settings;
    std::string pluginPath;
    std::string preset;
    std::string input;
    std::vector<std::pair<double, double>> clicks;
    int blockSize = 512;
    int rate = 0;
    double tempo = 120.0;
    double scale = 0.0;
    bool playing = false;
    bool demo = false;
};

double readNumber(const std::string& option, const std::string& text, double low, double high) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !(value >= low && value <= high))
        throw std::runtime_error(option + " needs a number from " + std::to_string(int(low)) + " to " +
                                 std::to_string(int(high)) + ", not '" + text + "'");
    return value;
}

// 1, 1.5 or 2 (or the same as a percentage: 100, 150, 200).
double readScale(const std::string& text) {
    double scale = readNumber("--scale", text, 1, 200);
    if (scale > 2) scale /= 100;
    if (scale != 1 && scale != 1.5 && scale != 2)
        throw std::runtime_error("--scale takes 1, 1.5 or 2, not '" + text + "'");
    return scale;
}

// "X,Y" in editor pixels at 100 %.
std::pair<double, double> readPoint(const std::string& option, const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) throw std::runtime_error(option + " takes X,Y, not '" + text + "'");
    return {readNumber(option, text.substr(0, comma), 0, 2000),
            readNumber(option, text.substr(comma + 1), 0, 2000)};
}

Arguments parse(int argc, char** argv) {
    Arguments args;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--plugin")
            args.pluginPath = value();
        else if (a == "--set")
            args.settings.push_back(value());
        else if (a == "--preset")
            args.preset = value();
        else if (a == "--input")
            args.input = value();
        else if (a == "--click")
            args.clicks.push_back(readPoint(a, value()));
        else if (a == "--block")
            args.blockSize = int(readNumber(a, value(), 1, 65536));
        else if (a == "--rate")
            args.rate = int(readNumber(a, value(), 8000, 384000));
        else if (a == "--tempo")
            args.tempo = readNumber(a, value(), 10, 999);
        else if (a == "--scale")
            args.scale = readScale(value());
        else if (a == "--playing")
            args.playing = true;
        else if (a == "--demo")
            args.demo = true;
        else if (a.size() > 1 && a[0] == '-')
            throw std::runtime_error("unknown option " + a);
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

std::vector<kavren::HostSetting> resolveSettings(const Arguments& args) {
    std::vector<kavren::HostSetting> settings;
    for (const std::string& s : args.settings) {
        settings.push_back(kavren::resolveSetting(s));
        if (!settings.back().clampNotice.empty())
            std::cerr << "kavren: " << settings.back().clampNotice << "\n";
    }
    return settings;
}

std::vector<uint8_t> presetChunk(const Arguments& args) {
    if (args.preset.empty()) return {};
    return kavren::PresetLibrary(args.pluginPath).chunk(args.preset);
}

int listPresets(const Arguments& args) {
    if (!args.positional.empty()) throw std::runtime_error("presets takes no file arguments");
    for (const std::string& name : kavren::PresetLibrary(args.pluginPath).names()) std::cout << name << "\n";
    return 0;
}

// The plug-in's own state chunk after the preset and the settings, written as a preset file.
int savePreset(const Arguments& args) {
    if (args.positional.size() != 2 || args.positional[0] != "save")
        throw std::runtime_error("preset takes 'save FILE.fxp'");
    std::vector<uint8_t> chunk = presetChunk(args);
    std::vector<kavren::HostSetting> settings = resolveSettings(args);
    kavren::host::VstPluginHost plugin(args.pluginPath);
    plugin.start(44100.0f, 512);
    if (!chunk.empty()) plugin.setChunk(chunk, true);
    for (const kavren::HostSetting& s : settings) plugin.setParameter(s.hostIndex, s.normalizedValue);
    kavren::savePresetFile(args.positional[1], kavren::presetFileChunk(plugin.getChunk(true)));
    std::cout << "Saved " << args.positional[1] << "\n";
    return 0;
}

// A plug-in with the preset and the settings applied, its editor at the requested scale.
void prepareEditor(kavren::host::VstPluginHost& plugin, const Arguments& args) {
    std::vector<uint8_t> chunk = presetChunk(args);
    std::vector<kavren::HostSetting> settings = resolveSettings(args);
    plugin.start(44100.0f, 512);
    if (!chunk.empty()) plugin.setChunk(chunk, true);
    for (const kavren::HostSetting& s : settings) plugin.setParameter(s.hostIndex, s.normalizedValue);
    if (args.scale > 0) kavren::setEditorScale(plugin, args.scale);
}

int snapshot(const Arguments& args) {
    if (args.positional.size() != 1) throw std::runtime_error("snapshot takes one output file");
    kavren::host::VstPluginHost plugin(args.pluginPath);
    prepareEditor(plugin, args);
    if (!args.input.empty()) {
        kavren::AudioFormat format;
        kavren::playIntoEditor(plugin, kavren::readAudio(args.input, format));
    } else if (args.demo) {
        kavren::playIntoEditor(plugin, kavren::makeDemoSignal(44100));
    }
    for (const auto& [x, y] : args.clicks)
        kavren::clickEditor(plugin, x, y, args.scale > 0 ? args.scale : 1.0);
    kavren::writeEditorSnapshot(plugin, args.positional[0]);
    std::cout << "Wrote " << args.positional[0] << "\n";
    return 0;
}

int edit(const Arguments& args) {
    if (!args.positional.empty()) throw std::runtime_error("edit takes no file arguments");
    kavren::host::VstPluginHost plugin(args.pluginPath);
    prepareEditor(plugin, args);
    kavren::runEditorWindow(plugin, "Kavren XL");
    return 0;
}

int render(const Arguments& args) {
    kavren::RenderOptions options;
    options.pluginPath = args.pluginPath;
    options.blockSize = args.blockSize;
    options.tempo = args.tempo;
    options.playing = args.playing;
    options.settings = resolveSettings(args);
    options.chunk = presetChunk(args);

    kavren::Audio input;
    kavren::AudioFormat format = kavren::wav24();
    std::string outPath;
    if (args.demo) {
        if (args.positional.size() != 1) throw std::runtime_error("render --demo takes one output file");
        input = kavren::makeDemoSignal(args.rate ? args.rate : 44100);
        outPath = args.positional[0];
    } else {
        if (args.positional.size() != 2) throw std::runtime_error("render takes an input and an output file");
        input = kavren::readAudio(args.positional[0], format);
        if (args.rate && args.rate != input.sampleRate)
            throw std::runtime_error("'" + args.positional[0] + "' is at " +
                                     std::to_string(input.sampleRate) + " Hz; --rate cannot resample a file");
        outPath = args.positional[1];
    }
    const bool terminal = kavren::errorsGoToTerminal();
    kavren::Audio output = kavren::renderThroughPlugin(
        input, options, terminal ? std::function<void(double)>(showProgress) : nullptr);
    kavren::writeAudio(outPath, output, format);
    std::cout << "Rendered " << output.frames() << " frames at " << output.sampleRate << " Hz to " << outPath
              << "\n";
    return 0;
}

} // namespace

// Errors end with one line and status 2; the usage text is for --help and a missing command only.
int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return kErrorStatus;
    }
    std::string command = argv[1];
    try {
        Arguments args = parse(argc, argv);
        if (command == "info") {
            if (!args.positional.empty()) throw std::runtime_error("info takes no file arguments");
            kavren::printPluginInfo(args.pluginPath, std::cout);
            return 0;
        }
        if (command == "render") return render(args);
        if (command == "presets") return listPresets(args);
        if (command == "preset") return savePreset(args);
        if (command == "support") {
            if (!args.positional.empty()) throw std::runtime_error("support takes no arguments");
            return kavren::runSupport(std::cout);
        }
        if (command == "snapshot") return snapshot(args);
        if (command == "edit") return edit(args);
        if (command == "--help" || command == "help") {
            std::cout << kUsage;
            return 0;
        }
        throw std::runtime_error("unknown command '" + command + "'");
    } catch (const std::exception& e) {
        std::cerr << "kavren: " << e.what() << "\n";
    }
    return kErrorStatus;
}
