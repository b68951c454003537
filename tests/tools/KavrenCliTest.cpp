// kavren info / render end to end, and the reading of KEY=VALUE settings.
#include "core/FileSystem.h"
#include "kavren/ParameterSettings.h"
#include "params/CPropertyManager.h"
#include "params/KavrenParameters.h"
#include "presets/CFileFormat.h"
#include "presets/CPresetChunk.h"
#include "utilities/SystemErrors.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

struct CliRun {
    int status;
    std::string output;
};

#ifdef _WIN32
// The tool through cmd.exe, which reads a command quoted as a whole as it stands; its line ends are
// Windows' own, read here as plain line breaks.
CliRun runCli(const std::string& arguments) {
    const std::string program = std::filesystem::path(KAVREN_CLI_PATH).make_preferred().string();
    const std::string command = "\"\"" + program + "\" " + arguments + " 2>&1\"";
    FILE* pipe = _popen(command.c_str(), "rb");
    std::string output;
    std::array<char, 4096> chunk;
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), n);
    const int status = _pclose(pipe);
    for (std::size_t at; (at = output.find("\r\n")) != std::string::npos;) output.erase(at, 1);
    return {status, output};
}
#else
// `shellBefore` runs in the same shell first (limits, traps).
CliRun runCli(const std::string& arguments, const std::string& shellBefore = "") {
    std::string command = shellBefore + std::string(KAVREN_CLI_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> chunk;
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
#endif

float plainOf(const std::string& assignment) {
    kavren::HostSetting s = kavren::resolveSetting(assignment);
    static Tessu::CPropertyManager manager;
    if (manager.getParameterCount() == 0) createKavrenParameters(manager, nullptr);
    return manager.getHostParameter(s.hostIndex)->toPlain(s.normalizedValue);
}

std::filesystem::path scratch(const char* name) {
    return std::filesystem::temp_directory_path() / name;
}

} // namespace

TEST(Settings, ValuesAsUsersTypeThem) {
    EXPECT_NEAR(plainOf("LOWPASSFREQ=800"), 800.0f, 0.05f);
    EXPECT_NEAR(plainOf("LOWPASSFREQ=1.2kHz"), 1200.0f, 0.1f);
    EXPECT_NEAR(plainOf("INPUTGAIN=-6dB"), 0.501187f, 1e-4f);
    EXPECT_NEAR(plainOf("LOWPASSQ=50%"), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(plainOf("LOWPASSSLOPE=4"), 4.0f);
    EXPECT_FLOAT_EQ(plainOf("LimiterBypass=On"), 1.0f);
    EXPECT_FLOAT_EQ(plainOf("LINKFILTERS = off"), 0.0f);
    EXPECT_NEAR(plainOf("LP Attack=20ms"), 20.0f, 0.01f);
    EXPECT_EQ(kavren::resolveSetting("LimitRelease=100").hostIndex, 33);
}

TEST(Settings, TempoDivisionsPickTheirKnobPosition) {
    // Division index = floor(23 n + 0.5) + 1 of the normalised rate n.
    for (auto [division, index] : {std::pair{"4/1", 1}, std::pair{"1/1", 4}, std::pair{"1/4", 6},
                                   std::pair{"1/8T", 15}, std::pair{"1/16D", 24}}) {
        float n = kavren::resolveSetting(std::string("LFO Rate=") + division).normalizedValue;
        EXPECT_EQ(int(std::floor(23.0f * n + 0.5f)) + 1, index) << division;
    }
}

TEST(Settings, NamedStepsMatchTheirDisplayText) {
    float saw = plainOf("LFO Shape=Saw");
    EXPECT_EQ(saw, std::round(saw));
    EXPECT_GT(saw, 0.0f);
    EXPECT_FLOAT_EQ(plainOf("LFO Shape=sine"), 0.0f);
}

TEST(Settings, RejectionsExplainThemselves) {
    auto messageOf = [](const std::string& assignment) {
        try {
            kavren::resolveSetting(assignment);
        } catch (const std::invalid_argument& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(messageOf("LOWPASFREQ=800").find("valid keys: INPUTGAIN, LOWPASSFREQ"), std::string::npos);
    EXPECT_NE(messageOf("LOWPASSFREQ=fast").find("cannot read 'fast'"), std::string::npos);
    EXPECT_NE(messageOf("LOWPASSFREQ").find("KEY=VALUE"), std::string::npos);
    EXPECT_NE(messageOf("RATE_FLIP=On").find("cannot be set by a host"), std::string::npos);
    EXPECT_NE(messageOf("LOWPASSFREQ=nan").find("cannot read"), std::string::npos);
}

TEST(Settings, ValuesOutsideTheRangeAreClampedWithANotice) {
    EXPECT_EQ(kavren::resolveSetting("LOWPASSFREQ=800").clampNotice, "");
    EXPECT_FLOAT_EQ(plainOf("LOWPASSFREQ=1e999"), 22050.0f);
    EXPECT_FLOAT_EQ(plainOf("LOWPASSFREQ=-5"), 40.0f);
    EXPECT_EQ(kavren::resolveSetting("LOWPASSFREQ=1e999").clampNotice,
              "LOWPASSFREQ=1e999 is outside 40.0Hz to 22050.0Hz; clamped to 22050.0Hz");
}

TEST(Cli, InfoListsTheEffectAndItsParameters) {
    CliRun run = runCli("info");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("QMX Kavren XL"), std::string::npos);
    EXPECT_NE(run.output.find("Latency      221 samples"), std::string::npos);
    EXPECT_NE(run.output.find("   47  FilterInteria"), std::string::npos);
    EXPECT_EQ(run.output.find("   48  "), std::string::npos);
}

TEST(Cli, DemoRenderWritesEightSecondsOfStereo) {
    auto out = scratch("kavren-cli-demo.wav");
    CliRun run = runCli("render --demo " + out.string() + " --set LOWPASSFREQ=800 --block 100");
    ASSERT_EQ(run.status, 0) << run.output;
    SF_INFO info{};
    SNDFILE* file = sf_open(out.string().c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.frames, 8 * 44100);
    std::vector<float> samples(size_t(info.frames * 2));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    double energy = 0.0;
    for (float x : samples) energy += double(x) * x;
    EXPECT_GT(energy, 1.0);
    std::filesystem::remove(out);
}

// Preset files whose chunk the effect would silently ignore: another plug-in's, and one that does not
// inflate.
std::vector<std::filesystem::path> unreadablePresets() {
    const std::string foreign = "not a state chunk of this plug-in";
    Tessu::CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset");
    chunk.addString("Parameters", std::string(200, 'x'));
    void* data = nullptr;
    const int32_t size = chunk.serialize(&data);
    std::vector<uint8_t> broken(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    for (size_t i = Tessu::CPresetChunk::kHeaderSize; i < broken.size(); ++i) broken[i] ^= 0x5a;
    const std::filesystem::path paths[2] = {scratch("kavren-cli-foreign.fxp"),
                                            scratch("kavren-cli-broken.fxp")};
    Tessu::fxpFormat().save(paths[0].string().c_str(), foreign.data(), int32_t(foreign.size()));
    Tessu::fxpFormat().save(paths[1].string().c_str(), broken.data(), int32_t(broken.size()));
    return {paths[0], paths[1]};
}

TEST(Cli, MistakesEndWithOneLineAndStatusTwo) {
    const std::vector<std::filesystem::path> unreadable = unreadablePresets();
    const std::string readBack[2] = {"render --demo x.wav --preset " + unreadable[0].string(),
                                     "preset save x.fxp --preset " + unreadable[1].string()};
    for (const std::string& arguments :
         {std::string("frobnicate"), std::string("render"),
          std::string("render /nonexistent/in.wav /tmp/out.wav"),
          std::string("render --demo x.wav --block 0"), std::string("render --demo x.wav --set NOPE=1"),
          std::string("info --plugin /nonexistent/kavren-xl.so"), std::string("render --demo"),
          std::string("info --bogus"), std::string("render --demo x.wav --tempo fast"),
          std::string("support extra"), readBack[0], readBack[1]}) {
        CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments << "\n" << run.output;
        EXPECT_EQ(run.output.rfind("kavren: ", 0), 0u) << arguments << "\n" << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << arguments << "\n"
                                                                             << run.output;
    }
    EXPECT_NE(runCli(readBack[0]).output.find("holds the state of another plug-in"), std::string::npos);
    EXPECT_NE(runCli(readBack[1]).output.find("holds a state this plug-in cannot read"), std::string::npos);
    for (const auto& path : unreadable) std::filesystem::remove(path);

    CliRun bare = runCli("");
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.output.find("usage: kavren info"), std::string::npos);
    CliRun help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("usage: kavren info"), std::string::npos);
}

TEST(Cli, ClampedSettingsAreReported) {
    auto out = scratch("kavren-cli-clamped.fxp");
    CliRun run = runCli("preset save " + out.string() + " --set INPUTGAIN=1e999");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("kavren: INPUTGAIN=1e999 is outside"), std::string::npos) << run.output;
    std::filesystem::remove(out);
}

// Where the file cannot be written the system says why, in its own words, on one line.
TEST(Cli, PresetSaveSaysWhyInTheSystemsWords) {
    KavrenTest::TempFolder folder;
    const std::string target = folder / "missing/New.fxp";
    const CliRun run = runCli("preset save " + target);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "kavren: cannot write '" + target +
                              "': " + Core::fileErrorText(KavrenTest::kMissingFolderError) + "\n");
}

TEST(Cli, PresetsAreListedRenderedAndSaved) {
    CliRun list = runCli("presets");
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("Init Preset\n"), std::string::npos);
    EXPECT_NE(list.output.find("LFO/Quarter Pump\n"), std::string::npos);

    auto saved = scratch("kavren-cli-saved.fxp");
    CliRun save =
        runCli("preset save " + saved.string() + " --preset \"Filter/Warm Low Pass\" --set LOWPASSQ=0");
    ASSERT_EQ(save.status, 0) << save.output;
    // As the plug-in writes preset files: the global limiter switch stays the user's.
    void* file = nullptr;
    int32_t size = 0;
    Tessu::fxpFormat().load(saved.string().c_str(), &file, &size);
    ASSERT_NE(file, nullptr);
    Tessu::CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset");
    ASSERT_EQ(chunk.parse(file, size), Tessu::CPresetChunk::kParsed);
    Tessu::fxpFormat().freeData(file);
    void* block = nullptr;
    EXPECT_GT(chunk.findBlock("Parameters", &block), 0);
    EXPECT_EQ(chunk.findBlock("GLOBAL.LIMITER.ON", &block), 0);
    EXPECT_STREQ(chunk.getPresetName(), "Warm Low Pass");
    auto out = scratch("kavren-cli-preset.wav");
    for (const std::string& preset : {std::string("\"LFO/Quarter Pump\""), saved.string()}) {
        CliRun render = runCli("render --demo " + out.string() + " --tempo 120 --playing --preset " + preset);
        EXPECT_EQ(render.status, 0) << preset << "\n" << render.output;
    }
    CliRun missing = runCli("render --demo " + out.string() + " --preset \"No Such Preset\"");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.output.find("no preset 'No Such Preset'"), std::string::npos);
    std::filesystem::remove(saved);
    std::filesystem::remove(out);
}

#ifndef _WIN32
// The desktop from HOME, and writes through a POSIX shell's limits, FIFOs and devices.
TEST(Cli, SupportWritesTheReportToTheDesktop) {
    KavrenTest::TempFolder home;
    KavrenTest::ScopedEnvironment homeFolder("HOME", home.path());
    KavrenTest::ScopedEnvironment configHome("XDG_CONFIG_HOME", std::nullopt);
    std::filesystem::create_directories(home / "Desktop");
    CliRun run = runCli("support");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string file = home / "Desktop/kavrenXL Support.txt";
    EXPECT_NE(run.output.find("Wrote " + file + "\n"), std::string::npos) << run.output;
    const std::string report = KavrenTest::readTextFile(file);
    EXPECT_EQ(report.rfind("-\n- Kavren Settings\n-\n\nversion: 1.2.8\n", 0), 0u) << report;
    EXPECT_NE(report.find("VERSIONINFO\nName       : kavren host\nVendor     : Kavren\nVersion    : 1000\n"
                          "MaxBufSize : 512\nSamplerate : 44100\nInterface  : VST2\n"),
              std::string::npos)
        << report;
}

// As the plug-in saves: atomically, every error reported in one line with a failing status, the old file
// intact; a target that is not a regular file is written through or refused, never replaced.
TEST(Cli, PresetSaveReportsEveryWriteErrorAndKeepsTheOldFile) {
    KavrenTest::TempFolder folder;
    const std::string old = folder / "Old.fxp", fifo = folder / "Reader.fxp";
    ASSERT_EQ(runCli("preset save '" + old + "'").status, 0);
    const std::string oldBytes = KavrenTest::readTextFile(old);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const struct {
        std::string target, shellBefore;
        const char* says; // nullptr: written
    } rows[] = {
        {"/dev/full", "", "cannot write '/dev/full': No space left on device"},
        {old, "ulimit -f 0; trap '' XFSZ; ", "File too large"},
        {fifo, "", "No such device or address"},
        {folder.path(), "", "Is a directory"},
        {"/dev/stdout", "", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        const auto type = std::filesystem::status(row.target).type();
        const CliRun run = runCli("preset save '" + row.target + "'", row.shellBefore);
        if (!row.says) {
            EXPECT_EQ(run.status, 0) << run.output;
            EXPECT_EQ(run.output.rfind("CcnK", 0), 0u) << "the file went down the pipe";
            continue;
        }
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_EQ(std::filesystem::status(row.target).type(), type) << "not replaced";
    }
    EXPECT_EQ(KavrenTest::readTextFile(old), oldBytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2)
        << "no temporary file";
}
#endif
