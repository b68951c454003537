// The preset browser's behaviour against a temporary preset folder: browse order and wrapping, the menu
// model, the commands and the name-change rules.
#include "presets/PresetBrowserModel.h"
#include "presets/PresetTestDoubles.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

using Tessu::CPresetBrowserModel;
using Tessu::PresetMenuItem;

namespace {

class PresetBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        writePresets({"Top/A.fxp", "Sub/B.fxp"});
        browser.setNameSource([this] { return effect.name; });
    }
    void writePresets(std::initializer_list<const char*> names) {
        for (const char* name : names) KavrenTest::writePreset(folder + name, name);
    }
    std::string currentName() {
        const Tessu::PresetEntry* entry = library.getEntry(library.getCurrentIndex());
        return entry ? entry->displayName : "<none>";
    }
    static std::vector<std::string> titles(const std::vector<PresetMenuItem>& items) {
        std::vector<std::string> result;
        for (const auto& item : items) result.push_back(item.title + (item.checked ? " *" : ""));
        return result;
    }

    KavrenTest::TempFolder root;
    std::string folder = root / "Presets/";
    KavrenTest::FakeEffect effect;
    KavrenTest::ScriptedAnswerer answerer;
    Tessu::CPresetInterface library{root / "Presets", &effect, &answerer};
    CPresetBrowserModel browser{library, effect};
};

} // namespace

// A directly in the folder (here "Top" is a subfolder, so A is written as a top-level file below).
TEST_F(PresetBrowser, StepsThroughSubfoldersFirstThenTheTopLevelAndWraps) {
    std::filesystem::remove_all(folder + "Top");
    writePresets({"A.fxp"});
    // No current preset: forward loads the first in browse order, back the last.
    browser.step(true);
    EXPECT_EQ(currentName(), "B");
    EXPECT_EQ(effect.name, "B");
    browser.step(true);
    EXPECT_EQ(currentName(), "A");
    browser.step(true);
    EXPECT_EQ(currentName(), "B");
    browser.step(false);
    EXPECT_EQ(currentName(), "A");
    library.selectByPath(nullptr, false);
    browser.step(false);
    EXPECT_EQ(currentName(), "A");
}

TEST_F(PresetBrowser, MenuHasTheCommandsFoldersAndNumberedPresetsWithTheCurrentChecked) {
    writePresets({"C.fxp", "D.fxp", "Sub/E.fxp"});
    auto menu = browser.buildMenu();
    EXPECT_EQ(titles(menu), (std::vector<std::string>{"Save Preset", "Save Preset as..", "-", "Delete Preset",
                                                      "Rename Preset", "-", "Go to Preset folder",
                                                      "Restore Factory Presets", "-", menu[9].title,
                                                      menu[10].title, menu[11].title, menu[12].title}));
    EXPECT_FALSE(menu[3].enabled);
    EXPECT_FALSE(menu[4].enabled);
    // Top-level presets are numbered from 1 after the submenus, each submenu from 1 too.
    std::vector<std::string> top = {menu[11].title, menu[12].title};
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"1 - C", "2 - D"}));
    for (int i : {9, 10}) EXPECT_EQ(menu[size_t(i)].submenu.front().title.substr(0, 4), "1 - ");

    // Load E from its submenu: it and its submenu are checked, and the commands are enabled.
    const int sub = menu[9].title == "Sub" ? 9 : 10;
    const auto& items = menu[size_t(sub)].submenu;
    const auto e =
        std::find_if(items.begin(), items.end(), [](auto& item) { return item.title.ends_with("E"); });
    ASSERT_NE(e, items.end());
    browser.runCommand(e->command);
    EXPECT_EQ(currentName(), "E");
    menu = browser.buildMenu();
    EXPECT_TRUE(menu[3].enabled);
    EXPECT_TRUE(menu[size_t(sub)].checked);
}

TEST_F(PresetBrowser, SubmenusStopAt255Items) {
    for (int i = 0; i < 260; ++i)
        KavrenTest::writePreset(folder + "Many/P" + std::to_string(i) + ".fxp", "p");
    const auto menu = browser.buildMenu();
    const auto many = std::find_if(menu.begin(), menu.end(), [](auto& item) { return item.title == "Many"; });
    ASSERT_NE(many, menu.end());
    EXPECT_EQ(many->submenu.size(), 255u);
}

TEST_F(PresetBrowser, SaveAsAppendsTheExtensionOnceAndDecliningTheOverwriteWritesNothing) {
    EXPECT_EQ(CPresetBrowserModel::withPresetExtension("x/Name"), "x/Name.fxp");
    EXPECT_EQ(CPresetBrowserModel::withPresetExtension("x/Name.FXP"), "x/Name.FXP");
    std::string offered;
    browser.setSaveFileChooser([&](const std::string& start, std::function<void(std::string)> pick) {
        offered = start;
        pick(folder + "Mine");
    });
    effect.name = "Mine";
    browser.runCommand(CPresetBrowserModel::kSaveAs);
    EXPECT_EQ(offered, folder);
    EXPECT_TRUE(std::filesystem::exists(folder + "Mine.fxp"));
    EXPECT_EQ(currentName(), "Mine");

    // Saving over an existing file asks; "No" leaves the file and the current preset as they were.
    browser.step(true);
    const std::string before = currentName();
    answerer.yes = false;
    effect.name = "Mine";
    browser.runCommand(CPresetBrowserModel::kSave);
    EXPECT_EQ(answerer.asked.back().caption, "Preset Exists");
    EXPECT_EQ(currentName(), before);
}

// Renaming saves under the new name only when confirmed; the browser's own name changes keep the
// current preset, a typed or host-brought name clears it.
TEST_F(PresetBrowser, RenameAndNameChangeRules) {
    browser.step(true);
    const std::string first = currentName();
    bool started = false;
    browser.setRenameStarter([&] { started = true; });
    browser.runCommand(CPresetBrowserModel::kRename);
    ASSERT_TRUE(started && browser.isRenaming());
    browser.cancelRename();
    browser.presetNameChanged(first);
    EXPECT_FALSE(std::filesystem::exists(folder + "Renamed.fxp"));
    EXPECT_EQ(currentName(), first);

    browser.runCommand(CPresetBrowserModel::kRename);
    browser.presetNameChanged("Renamed");
    library.scan();
    bool found = false;
    for (int i = 0; i < library.getEntryCount(); ++i)
        found = found || library.getEntry(i)->displayName == "Renamed";
    EXPECT_TRUE(found);
    EXPECT_EQ(currentName(), "<none>");

    browser.step(true);
    browser.presetNameChanged("From a host chunk");
    EXPECT_EQ(currentName(), "<none>");
}
