// The support report on Linux: the reading of the system's files, and a real request that writes to a
// desktop of the test's own, found through the XDG user folders.
#include "frame/TessuOS.h"
#include "support/SupportFile.h"
#include "support/SystemFacts.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

using KavrenTest::ScopedEnvironment;
using KavrenTest::TempFolder;

TEST(SupportReport, SystemFilesAsTheSystemWritesThem) {
    EXPECT_EQ(
        Support::osNameFromOsRelease("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian 12\"\nID=debian\n"),
        "Debian 12");
    EXPECT_EQ(Support::osNameFromOsRelease("NAME=Arch\n"), "Arch");
    EXPECT_EQ(Support::osNameFromOsRelease(""), "Linux");

    const char* cpuInfo = "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
                          "model name\t: Example CPU @ 3.00GHz\nstepping\t: 10\n\n"
                          "processor\t: 1\nvendor_id\t: Other\nmodel name\t: Second\n";
    const Support::ProcessorFacts processor = Support::processorFromCpuInfo(cpuInfo, "x86_64");
    EXPECT_EQ(processor.name, "Example CPU @ 3.00GHz");
    EXPECT_EQ(processor.vendor, "GenuineIntel");
    EXPECT_EQ(processor.identifier, "x86_64 Family 6 Model 158 Stepping 10");
    EXPECT_EQ(Support::processorFromCpuInfo("processor : 0\nmodel name : Arm\n", "aarch64").identifier,
              "aarch64");

    for (const char* machine : {"x86_64", "aarch64", "ppc64le", "s390x"})
        EXPECT_TRUE(Support::isMachine64Bit(machine));
    for (const char* machine : {"i686", "armv7l", ""}) EXPECT_FALSE(Support::isMachine64Bit(machine));
}

namespace {

class SilentHost : public Tessu::TessuCallback {
public:
    int32_t getWrapperType() override { return Tessu::kWrapperVst2; }
};

class RecordingPresenter : public Core::IMessagePresenter {
public:
    void show(const Core::MessageBoxRequest& request, std::function<void(int)> answer) override {
        shown.push_back(request);
        answer(0);
    }
    std::vector<Core::MessageBoxRequest> shown;
};

} // namespace

TEST(SupportReport, RequestWritesToTheDesktopAndConfirms) {
    TempFolder home;
    ScopedEnvironment configHome("XDG_CONFIG_HOME", home / "config");
    KavrenTest::writeTextFile(home / "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + home / "Desk" + "\"\n");
    KavrenTest::writeTextFile(home / "config/Quillmark/kavrenxl/settings.ini", "PresetFolder=/my/presets\n");
    const std::string file = home / "Desk/kavrenXL Support.txt";
    KavrenTest::writeTextFile(file, std::string(100000, '#'));

    SilentHost host;
    Tessu::TessuOS effect(&host);
    effect.setBlockSize(256);
    effect.setSampleRate(96000.0f);
    RecordingPresenter presenter;
    EXPECT_EQ(Support::requestSupportFile(effect, presenter), file);
    EXPECT_EQ(Support::requestSupportFile(effect, presenter), file);

    const std::string report = KavrenTest::readTextFile(file);
    EXPECT_EQ(report.find('#'), std::string::npos) << "an earlier file is replaced";
    EXPECT_EQ(report.find("- Kavren Settings"), report.rfind("- Kavren Settings")) << "never appended";
    EXPECT_EQ(report.rfind("-\n- Kavren Settings\n-\n\nversion: 1.2.8\ncontent root: /my/presets/\n"
                           "hosted plugin type: VST2\n\n",
                           0),
              0u);
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    EXPECT_NE(report.find(std::string("Executable : ") + self +
                          "\n\nVERSIONINFO\nnot available!\n\n"
                          "MaxBufSize : 256\nSamplerate : 96000\n"
                          "Interface  : VST2\n\n"),
              std::string::npos);
    EXPECT_NE(report.find("\nBuild "), std::string::npos);
    EXPECT_NE(report.find("Installed memory (RAM): "), std::string::npos);

    ASSERT_EQ(presenter.shown.size(), 2u);
    EXPECT_EQ(presenter.shown[0].caption, "Support Request");
    EXPECT_EQ(presenter.shown[0].text,
              "A support file (kavrenXL Support.txt) has been created on your desktop.\n");
    EXPECT_EQ(presenter.shown[0].buttons, "Thank you");

    // A desktop folder that is missing or is no folder: nothing is written, and the user is told so.
    for (const std::string& desktop : {home / "missing", file}) {
        KavrenTest::writeTextFile(home / "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + desktop + "\"\n");
        EXPECT_EQ(Support::requestSupportFile(effect, presenter), "") << desktop;
        EXPECT_EQ(presenter.shown.back().text,
                  "The support file (kavrenXL Support.txt) could not be written to your desktop:\n" +
                      desktop + "/\nPlease check that the folder exists and that you may write to it.");
        EXPECT_EQ(presenter.shown.back().buttons, "OK");
    }
    EXPECT_EQ(presenter.shown.size(), 4u);
}
