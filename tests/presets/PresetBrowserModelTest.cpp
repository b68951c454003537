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

// Renaming moves the current preset only when confirmed; the browser's own name changes keep the current
// preset, a host-brought name clears it.
TEST_F(PresetBrowser, RenameAndNameChangeRules) {
    browser.step(true);
    const std::string first = currentName();
    bool started = false;
    browser.setRenameStarter([&] { started = true; });
    browser.runCommand(CPresetBrowserModel::kRename);
    ASSERT_TRUE(started && browser.isRenaming());
    browser.cancelRename();
    browser.finishRename("Renamed");
    EXPECT_FALSE(std::filesystem::exists(folder + "Sub/Renamed.fxp"));
    EXPECT_EQ(currentName(), first);

    browser.runCommand(CPresetBrowserModel::kRename);
    browser.finishRename("Renamed");
    EXPECT_EQ(currentName(), "Renamed");
    EXPECT_EQ(effect.name, "Renamed");
    EXPECT_FALSE(std::filesystem::exists(folder + "Sub/" + first + ".fxp")) << "a rename, not a copy";

    browser.presetNameChanged("From a host chunk");
    EXPECT_EQ(currentName(), "<none>");
}

namespace {

// The checked leaf of the menu, "" when none is.
std::string tickedPreset(const std::vector<PresetMenuItem>& items) {
    for (const PresetMenuItem& item : items) {
        if (!item.submenu.empty()) {
            if (std::string found = tickedPreset(item.submenu); !found.empty()) return found;
        } else if (item.checked) {
            return item.title.substr(item.title.find(" - ") + 3);
        }
    }
    return {};
}

} // namespace

// Another instance or a file browser changes the folder while "Breathing Notch" is current: the tick,
// Delete, Next/Previous and Save still mean that file, and nothing else becomes current.
TEST_F(PresetBrowser, FolderChangesUnderTheBrowserKeepTheCurrentPresetsFile) {
    const struct {
        const char* change;
        const char* added;
        const char* removed;
        const char* ticked; // "" when the current preset is gone
        const char* previousOfNext;
    } rows[] = {
        {"saved elsewhere before it", "Envelope/Aaa.fxp", nullptr, "Breathing Notch", "Breathing Notch"},
        {"deleted elsewhere before it", nullptr, "Envelope/Body Keeper.fxp", "Breathing Notch",
         "Breathing Notch"},
        {"itself deleted elsewhere", nullptr, "Envelope/Breathing Notch.fxp", "", "Body Keeper"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        std::filesystem::remove_all(folder);
        writePresets({"Envelope/Body Keeper.fxp", "Envelope/Breathing Notch.fxp", "Envelope/Cutter.fxp"});
        Tessu::CPresetInterface rowLibrary{folder, &effect, &answerer};
        CPresetBrowserModel rowBrowser{rowLibrary, effect};
        rowBrowser.setNameSource([this] { return effect.name; });
        rowBrowser.step(true);
        rowBrowser.step(true);
        ASSERT_EQ(effect.name, "Breathing Notch");
        if (row.added) KavrenTest::writePreset(folder + row.added, row.added);
        if (row.removed) std::filesystem::remove(folder + row.removed);

        const auto menu = rowBrowser.buildMenu();
        EXPECT_EQ(tickedPreset(menu), row.ticked);
        EXPECT_EQ(menu[3].enabled, *row.ticked != 0) << "Delete only for a listed preset";
        answerer.yes = false;
        answerer.asked.clear();
        rowBrowser.runCommand(CPresetBrowserModel::kDelete);
        EXPECT_EQ(answerer.asked.size(), *row.ticked ? 1u : 0u);
        if (!answerer.asked.empty()) {
            EXPECT_NE(answerer.asked[0].text.find("\"Breathing Notch\""), std::string::npos);
        }
        rowBrowser.step(true);
        EXPECT_EQ(effect.name, "Cutter") << "the preset after the current one's place";
        rowBrowser.step(false);
        EXPECT_EQ(effect.name, row.previousOfNext);

        answerer.yes = true;
        rowBrowser.runCommand(CPresetBrowserModel::kSave);
        for (const char* name : {"Body Keeper", "Breathing Notch", "Cutter", "Aaa"}) {
            const std::string path = folder + "Envelope/" + name + ".fxp";
            const std::string expected = name == effect.name ? "chunk:" + effect.name
                                         : std::filesystem::exists(path)
                                             ? "Envelope/" + std::string(name) + ".fxp"
                                             : "<none>";
            EXPECT_EQ(KavrenTest::chunkIn(path), expected) << "Save writes the shown preset's own file only";
        }
    }

    // Chosen from a menu built before it vanished: reported, and the current preset stays.
    writePresets({"Top/A.fxp", "Sub/B.fxp"});
    const auto menu = browser.buildMenu();
    browser.step(true);
    const std::string before = currentName();
    std::filesystem::remove(folder + "Top/A.fxp");
    const auto top = std::find_if(menu.begin(), menu.end(), [](auto& item) { return item.title == "Top"; });
    ASSERT_NE(top, menu.end());
    answerer.asked.clear();
    browser.runCommand(top->submenu.at(0).command);
    ASSERT_EQ(answerer.asked.size(), 1u);
    EXPECT_EQ(answerer.asked[0].kind, Tessu::PresetQuestion::kOkStop);
    EXPECT_EQ(currentName(), before);
}

// Names typed for a rename are refused unless they are plain file names in the preset's own folder; an
// existing preset is replaced only after Yes.
TEST_F(PresetBrowser, RenameRefusesBadNamesAndAsksBeforeReplacing) {
    const std::string longName(300, 'x');
    const struct {
        std::string name;
        bool yes;
        const char* caption; // of the one box shown, "" for none
        const char* nowCurrent;
    } rows[] = {
        {"Fresh", true, "", "Fresh"},
        {"Other", false, "Preset Exists", "B"},
        {"Other", true, "Preset Exists", "Other"},
        {"", true, "Rename Preset", "B"},
        {"a/b", true, "Rename Preset", "B"},
        {"..\\up", true, "Rename Preset", "B"},
        {"tab\there", true, "Rename Preset", "B"},
        {".hidden", true, "Rename Preset", "B"},
        {longName, true, "Rename Preset", "B"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("'" + row.name + "'");
        std::filesystem::remove_all(folder);
        writePresets({"Sub/B.fxp", "Sub/Other.fxp"});
        library.selectByPath(nullptr, false);
        browser.step(true);
        ASSERT_EQ(effect.name, "B");
        answerer.asked.clear();
        answerer.yes = row.yes;
        browser.runCommand(CPresetBrowserModel::kRename);
        browser.finishRename(row.name);
        EXPECT_EQ(answerer.asked.empty() ? "" : answerer.asked[0].caption, std::string(row.caption));
        EXPECT_EQ(effect.name, row.nowCurrent);
        EXPECT_EQ(currentName(), row.nowCurrent);
        const bool renamed = std::string(row.nowCurrent) != "B";
        EXPECT_EQ(std::filesystem::exists(folder + "Sub/B.fxp"), !renamed);
        EXPECT_EQ(KavrenTest::readTextFile(folder + "Sub/Other.fxp").find("chunk:Other") != std::string::npos,
                  row.name == "Other" && row.yes);
        EXPECT_EQ(KavrenTest::filesUnder(root.path()).size(), row.name == "Fresh" ? 2u
                                                              : renamed           ? 1u
                                                                                  : 2u)
            << "nothing written anywhere else";
    }
}

// A name from a host chunk or a preset file never leads out of the preset folder.
TEST_F(PresetBrowser, NamesFromChunksStayInThePresetFolder) {
    for (const char* name : {"../../../../ESCAPED", "/tmp/ESCAPED", "..", "a/../../ESCAPED"}) {
        SCOPED_TRACE(name);
        effect.name = name;
        browser.presetNameChanged(name);
        browser.runCommand(CPresetBrowserModel::kSave);
        const std::string current = library.getCurrentPath();
        EXPECT_EQ(current.rfind(folder, 0), 0u) << current;
        EXPECT_EQ(current.find('/', folder.size()), std::string::npos) << current;
        EXPECT_TRUE(std::filesystem::exists(current));
    }
    EXPECT_FALSE(std::filesystem::exists(root / "ESCAPED.fxp"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/ESCAPED.fxp"));
}
