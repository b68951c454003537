#include "gui/FileSelector.h"
#include "gui/Frame.h"
#include "gui/PathPrompt.h"
#include "gui/platform/posix/ProgramFileDialog.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace Mirda;
namespace fs = std::filesystem;

namespace {

using Paths = std::vector<std::string>;

// A folder of fake dialog programs as the whole PATH (only the fakes can be found); restored afterwards.
struct FileSelectors : ::testing::Test {
    KavrenTest::TempFolder folder;
    fs::path bin = folder.path();
    KavrenTest::ScopedEnvironment onlyFakes{"PATH", folder.path()};
    KavrenTest::ScopedEnvironment noDesktop{"XDG_CURRENT_DESKTOP", std::nullopt};
    CFrame* frame = new CFrame(CRect(0, 0, 400, 300));
    std::optional<Paths> answer;

    void TearDown() override {
        frame->close();
        frame->release();
        CTimerService::instance().reset();
    }
    // A shell script `name` that records its arguments, prints `output` and exits with `code`.
    void fakeProgram(const std::string& name, const std::string& output, int code) {
        const fs::path script = bin / name;
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n"
                              << "printf '" << output << "'\nexit " << code << "\n";
        fs::permissions(script, fs::perms::owner_all);
    }
    std::string recordedArgs(const std::string& name) {
        return KavrenTest::readTextFile(folder / (name + ".args"));
    }
    CFileSelector::Callback record() {
        return [this](const Paths& paths) { answer = paths; };
    }
    void type(const std::string& text) {
        for (char c : text) {
            VstKeyCode key;
            key.character = c;
            frame->onKeyDown(key);
        }
    }
    void press(uint8_t virt) {
        VstKeyCode key;
        key.virt = virt;
        frame->onKeyDown(key);
    }
};

} // namespace

TEST_F(FileSelectors, CommandLinesFollowEachProgramsSyntax) {
    CFileDialogRequest open{
        FileSelectorStyle::kOpen, "Load preset", "/home/u/Presets/", {{"Preset", "fxp"}}, true};
    EXPECT_EQ(CProgramFileDialog::commandLine("/usr/bin/zenity", open),
              (Paths{"zenity", "--file-selection", "--title=Load preset", "--multiple", "--separator=\n",
                     "--filename=/home/u/Presets/", "--file-filter=Preset (fxp) | *.fxp",
                     "--file-filter=All files | *"}));
    EXPECT_EQ(CProgramFileDialog::commandLine("/usr/bin/kdialog", open),
              (Paths{"kdialog", "--title", "Load preset", "--multiple", "--separate-output",
                     "--getopenfilename", "/home/u/Presets/", "*.fxp|Preset (fxp)"}));

    auto* folder = new CFileSelector(frame, FileSelectorStyle::kFolder);
    EXPECT_EQ(folder->getTitle(), "Select a folder");
    EXPECT_EQ(CProgramFileDialog::commandLine("kdialog", folder->request()),
              (Paths{"kdialog", "--title", "Select a folder", "--getexistingdirectory", "."}));
    folder->release();
}

TEST_F(FileSelectors, TheDialogProgramAnswersThroughTheTimerWithoutBlocking) {
    EXPECT_EQ(CProgramFileDialog::findDialogProgram(), "");
    fakeProgram("kdialog", "/k/never.fxp\\n", 0);
    fakeProgram("zenity", "/home/u/Presets/a.fxp\\n/home/u/Presets/b c.fxp\\n", 0);
    EXPECT_EQ(CProgramFileDialog::findDialogProgram(), (bin / "zenity").string())
        << "zenity first outside KDE";

    auto* selector = new CFileSelector(frame, FileSelectorStyle::kSave);
    ASSERT_TRUE(selector->run(record()));
    EXPECT_FALSE(selector->run(record())) << "one dialog at a time";
    selector->release(); // the running dialog keeps itself alive
    ASSERT_TRUE(selector->waitForDialog(10000));
    EXPECT_FALSE(answer.has_value()) << "the answer waits for the GUI thread's timer";
    CTimerService::instance().tick();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (Paths{"/home/u/Presets/a.fxp", "/home/u/Presets/b c.fxp"}));
    EXPECT_NE(recordedArgs("zenity").find("--save\n"), std::string::npos);
    EXPECT_EQ(CTimerService::instance().entryCount(), 0u);
}

TEST_F(FileSelectors, CancellingTheDialogAnswersNothing) {
    fakeProgram("zenity", "", 1);
    auto* selector = new CFileSelector(frame, FileSelectorStyle::kOpen);
    ASSERT_TRUE(selector->run(record()));
    ASSERT_TRUE(selector->waitForDialog(10000));
    CTimerService::instance().tick();
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->empty());
    selector->release();
}

// Counts the keyboard focus the window system is asked to give and take back.
struct FocusCountingPlatform : IFrame {
    int taken = 0, released = 0;
    void invalidRect(const CRect&) override {}
    void idle() override {}
    bool setSize(double, double) override { return true; }
    CPixelBuffer getBackBuffer() override { return {}; }
    void takeKeyboardFocus() override { ++taken; }
    void releaseKeyboardFocus() override { ++released; }
};

TEST_F(FileSelectors, WithoutAProgramTheEditorAsksWithATextPrompt) {
    auto* platform = new FocusCountingPlatform;
    frame->setPlatformFrame(platform);
    platform->release(); // the frame holds it
    auto* selector = new CFileSelector(frame, FileSelectorStyle::kFolder);
    selector->setInitialPath("/home/u");
    ASSERT_TRUE(selector->run(record()));
    ASSERT_NE(frame->getModalView(), nullptr);
    auto* prompt = static_cast<CPathPrompt*>(frame->getModalView());
    ASSERT_TRUE(prompt->isTypeOf("CPathPrompt"));
    EXPECT_EQ(prompt->getField()->getText(), "/home/u");
    EXPECT_EQ(platform->taken, 1) << "the prompt takes the keyboard as a text edit does";
    press(VKEY_END);
    type("/Presetz");
    press(VKEY_BACK);
    type("s");
    press(VKEY_TAB);
    press(VKEY_RETURN);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, Paths{"/home/u/Presets"}) << "Tab changes nothing";
    EXPECT_EQ(frame->getModalView(), nullptr) << "the prompt removes itself";
    EXPECT_EQ(platform->released, 1) << "and gives the keyboard back";

    answer.reset();
    ASSERT_TRUE(selector->run(record()));
    press(VKEY_ESCAPE);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->empty());

    answer.reset();
    ASSERT_TRUE(selector->run(record()));
    const CRect box = frame->getModalView()->getViewSize();
    CPoint ok(box.right - 130, box.top + 75);
    frame->onMouseDown(ok, kLButton);
    ASSERT_TRUE(answer.has_value()) << "the OK button confirms the text";
    EXPECT_EQ(*answer, Paths{"/home/u"});
    selector->release();

    auto* headless = new CFileSelector(nullptr, FileSelectorStyle::kOpen);
    EXPECT_FALSE(headless->run(record())) << "nothing can ask without a frame";
    headless->release();
}
