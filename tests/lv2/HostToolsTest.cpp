// The LV2 build as the command-line hosts of the LV2 tool set see it: listed with the right ports, valid
// against the LV2 specifications, and rendering a file exactly as the VST 2.4 build does.
#include "lv2/AudioFiles.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs a command with LV2_PATH set to the build's bundle folder; its standard output, and its exit status.
std::string run(const std::string& command, int* status = nullptr) {
    const std::string line = "LV2_PATH='" KAVREN_LV2_PATH "' " + command + " 2>&1";
    std::string output;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return output;
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    const int result = pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class Lv2HostTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (!have("lv2info") || !have("lv2apply")) GTEST_SKIP() << "lilv-utils is not installed";
    }
};

} // namespace

TEST_F(Lv2HostTools, ListTheStereoEffectWithItsControlAndLatencyPorts) {
    EXPECT_NE(run("lv2ls").find("urn:quillmark:kavren-xl\n"), std::string::npos);
    const std::string info = run("lv2info urn:quillmark:kavren-xl");
    for (const char* expected :
         {"Name:              QMX Kavren XL", "Has latency:       yes, reported by port 54", "Port 54:",
          "Symbol:      in_l", "Symbol:      out_r", "Symbol:      inputgain", "Symbol:      filterinteria",
          "http://lv2plug.in/ns/lv2core#enabled", "http://lv2plug.in/ns/ext/state#interface",
          "http://lv2plug.in/ns/lv2core#hardRTCapable", "\"96 dB/oct\"", "\"Sync 1/16D\"", "Warm Low Pass"})
        EXPECT_NE(info.find(expected), std::string::npos) << expected;
    EXPECT_EQ(info.find("Port 55:"), std::string::npos);
    // Parameter ports first, in host index order: control-port numbering matches the VST 2.4 host indices.
    for (const auto& [port, symbol] : {std::pair{4, "inputgain"},
                                       {51, "filterinteria"},
                                       {52, "control"},
                                       {53, "enabled"},
                                       {54, "latency"}}) {
        const size_t at = info.find("Port " + std::to_string(port) + ":");
        ASSERT_NE(at, std::string::npos) << port;
        const size_t symbolAt = info.find("Symbol:      ", at);
        EXPECT_EQ(info.compare(symbolAt + 13, std::strlen(symbol) + 1, std::string(symbol) + "\n"), 0)
            << port;
    }
    EXPECT_EQ(info.find("rate_flip"), std::string::npos) << "a parameter hosts cannot set has no port";
}

// The Turtle files hold to the LV2 specifications' classes, properties and ranges.
TEST_F(Lv2HostTools, BundleValidatesAgainstTheSpecifications) {
    if (!have("sord_validate")) GTEST_SKIP() << "sordi is not installed";
    int status = -1;
    const std::string report = run(
        "sord_validate $(ls /usr/lib/lv2/*.lv2/*.ttl | grep -E '/(schemas|atom|buf-size|core|data-access|"
        "dynmanifest|event|instance-access|log|midi|morph|options|parameters|patch|port-groups|port-props|"
        "presets|resize-port|state|time|ui|units|uri-map|urid|worker)\\.lv2/') '" KAVREN_LV2_PATH
        "'/kavren-xl.lv2/*.ttl '" KAVREN_LV2_PATH "'/kavren-xl.lv2/presets/*.ttl",
        &status);
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("Found 0 errors"), std::string::npos) << report;
}

// lv2apply runs one frame per call, so the VST 2.4 render runs in blocks of one frame too; the tool's
// VST render removes the latency, lv2apply's does not.
TEST_F(Lv2HostTools, RenderEqualsTheVst2RenderSampleForSample) {
    const KavrenTest::TempFolder scratch;
    const fs::path folder = scratch.path();
    const Interleaved in = testSignal(22050);
    writeFloatWav(folder / "in.wav", in);

    // Exactly representable values on linear ranges, so both formats set the same plain values; the gain
    // port is in decibels, which the plug-in converts as the tool reads "-6dB".
    struct Setting {
        std::string key, vst, lv2;
    };
    const std::vector<Setting> settings = {
        {"INPUTGAIN", "-6dB", "-6"},      {"LOWPASSQ", "0.75", "0.75"}, {"LOWPASSSLOPE", "4", "4"},
        {"DISTLEVEL", "0.25", "0.25"},    {"kDryWetMix", "0.5", "0.5"}, {"RingModeStrength", "0.5", "0.5"},
        {"LP StrengthLFO", "1.5", "1.5"}, {"FILTERMODE", "1", "1"}};
    std::string vst = std::string("'" KAVREN_TOOL "' render '") + (folder / "in.wav").string() + "' '" +
                      (folder / "vst.wav").string() + "' --block 1 --plugin '" KAVREN_VST2_PLUGIN "'";
    std::string lv2 =
        "lv2apply -i '" + (folder / "in.wav").string() + "' -o '" + (folder / "lv2.wav").string() + "'";
    for (const Setting& setting : settings) {
        vst += " --set '" + setting.key + "=" + setting.vst + "'";
        std::string symbol;
        for (char c : setting.key)
            symbol += c == ' ' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
        lv2 += " -c " + symbol + " " + setting.lv2;
    }
    int status = -1;
    std::string output = run(vst, &status);
    ASSERT_EQ(status, 0) << output;
    output = run(lv2 + " urn:quillmark:kavren-xl", &status);
    ASSERT_EQ(status, 0) << output;

    const Interleaved fromVst = readWav(folder / "vst.wav"), fromLv2 = readWav(folder / "lv2.wav");
    ASSERT_EQ(fromVst.size(), in.size());
    ASSERT_EQ(fromLv2.size(), in.size());
    EXPECT_EQ(samplesDifferingAfterLatency(fromVst, fromLv2, 221), 0u);
    float loudest = 0.0f;
    for (float s : fromLv2) loudest = std::max(loudest, std::fabs(s));
    EXPECT_GT(loudest, 0.05f) << "the render is not silent";
}
