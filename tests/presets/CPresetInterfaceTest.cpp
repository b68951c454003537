#include "presets/CPresetInterface.h"
#include "ResourcePacker.h"
#include "core/FileSystem.h"
#include "core/ResourceStoreAccess.h"
#include "presets/CFileFormat.h"
#include "presets/PresetTestDoubles.h"
#include "utilities/SystemErrors.h"
#include "utilities/TempFolder.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using KavrenTest::chunkIn;
using KavrenTest::FakeEffect;
using KavrenTest::ScriptedAnswerer;
using KavrenTest::TempFolder;
using KavrenTest::writePreset;
using Tessu::CPresetInterface;

namespace {

class PresetLibrary : public ::testing::Test {
protected:
    TempFolder root;
    std::string folder = root / "Presets/";
    FakeEffect effect;
    ScriptedAnswerer answerer;
    CPresetInterface library{root / "Presets", &effect, &answerer};

    std::set<std::string> listedPaths() {
        library.scan();
        std::set<std::string> paths;
        for (int i = 0; i < library.getEntryCount(); ++i) paths.insert(library.getEntry(i)->path);
        return paths;
    }
    int indexOf(const std::string& path) {
        for (int i = 0; i < library.getEntryCount(); ++i)
            if (library.getEntry(i)->path == path) return i;
        return -1;
    }
};

} // namespace

TEST_F(PresetLibrary, ScanListsOneLevelOfSubfoldersAndOnlyFxpFiles) {
    writePreset(folder + "Top.fxp", "top");
    writePreset(folder + "Filter/Sweep.fxp", "sweep");
    writePreset(folder + "Filter/Deep/Hidden.fxp", "deep");
    writePreset(folder + "Upper.FXP", "upper");
    writePreset(folder + "backup.fxp.bak", "bak");
    EXPECT_EQ(listedPaths(), (std::set<std::string>{folder + "Top.fxp", folder + "Filter/Sweep.fxp"}));
    const Tessu::PresetEntry* sweep = library.getEntry(indexOf(folder + "Filter/Sweep.fxp"));
    ASSERT_NE(sweep, nullptr);
    EXPECT_EQ(sweep->displayName, "Sweep");
    EXPECT_EQ(sweep->subfolderName, "Filter");
    EXPECT_EQ(library.getEntry(indexOf(folder + "Top.fxp"))->subfolderName, "");
    EXPECT_EQ(library.getEntry(2), nullptr);

    writePreset(folder + "alpha/One.fxp", "one");
    writePreset(folder + "Zeta/b.fxp", "b");
    writePreset(folder + "Zeta/A.fxp", "a");
    library.scan();
    std::vector<std::string> order;
    for (int32_t i = 0; i < library.getEntryCount(); ++i) order.push_back(library.getEntry(i)->path);
    EXPECT_EQ(order,
              (std::vector<std::string>{folder + "alpha/One.fxp", folder + "Filter/Sweep.fxp",
                                        folder + "Zeta/A.fxp", folder + "Zeta/b.fxp", folder + "Top.fxp"}))
        << "subfolders first, each level in name order ignoring case";
}

TEST_F(PresetLibrary, LoadHandsTheChunkToTheEffectAndSelects) {
    writePreset(folder + "A.fxp", "chunk-a");
    writePreset(folder + "Sub/B.fxp", "chunk-b");
    library.scan();
    EXPECT_TRUE(library.loadPreset(folder + "Sub/B.fxp"));
    EXPECT_EQ(effect.loaded, std::vector<std::string>{"chunk-b"});
    EXPECT_EQ(effect.name, "B");
    EXPECT_EQ(library.getCurrentIndex(), indexOf(folder + "Sub/B.fxp"));

    // A file that is not a preset of this effect loads nothing but is still selected.
    KavrenTest::writeTextFile(folder + "Broken.fxp", "not a preset");
    library.scan();
    library.loadPreset(folder + "Broken.fxp");
    EXPECT_EQ(effect.loaded.size(), 1u);
    EXPECT_EQ(library.getCurrentIndex(), indexOf(folder + "Broken.fxp"));

    library.selectByPath("a", true);
    EXPECT_EQ(library.getCurrentIndex(), indexOf(folder + "A.fxp")) << "paths compare ignoring case";
    library.selectByPath("missing", true);
    EXPECT_EQ(library.getCurrentIndex(), indexOf(folder + "A.fxp"));
    library.selectByPath(nullptr, true);
    EXPECT_EQ(library.getCurrentIndex(), -1);
}

TEST_F(PresetLibrary, SavingTheCurrentPresetAsksAndWritesToItsOwnPath) {
    writePreset(folder + "Sub/Sweep.fxp", "old");
    library.scan();
    library.loadPreset(folder + "Sub/Sweep.fxp");
    library.savePreset("Sweep", true);
    ASSERT_EQ(answerer.asked.size(), 1u);
    EXPECT_EQ(answerer.asked[0].caption, "Preset Exists");
    EXPECT_EQ(answerer.asked[0].text,
              "File \"Sweep\" alread Exists, overwrite ?\n(" + folder + "Sub/Sweep.fxp)");
    EXPECT_EQ(chunkIn(folder + "Sub/Sweep.fxp"), "chunk:Sweep");
    EXPECT_FALSE(std::filesystem::exists(folder + "Sweep.fxp"));
    EXPECT_EQ(effect.modeWhileWriting, 0) << "preset files never carry the limiter switch";
    EXPECT_EQ(effect.mode, 1);
    EXPECT_EQ(library.getCurrentIndex(), 0);
}

TEST_F(PresetLibrary, DecliningTheOverwriteWritesNothing) {
    writePreset(folder + "Existing.fxp", "old");
    library.scan();
    answerer.yes = false;
    library.savePreset((folder + "Existing.fxp").c_str(), false);
    EXPECT_EQ(answerer.asked.size(), 1u);
    EXPECT_EQ(chunkIn(folder + "Existing.fxp"), "old");
    EXPECT_EQ(library.getCurrentIndex(), -1);
    EXPECT_EQ(effect.name, "Current");

    library.savePreset("Fresh", true); // a new file needs no question
    EXPECT_EQ(answerer.asked.size(), 1u);
    EXPECT_EQ(chunkIn(folder + "Fresh.fxp"), "chunk:Fresh");
    EXPECT_EQ(library.getCurrentIndex(), indexOf(folder + "Fresh.fxp"));
}

TEST_F(PresetLibrary, DeleteAsksThenRemovesAndLoadsTheNeighbour) {
    writePreset(folder + "A.fxp", "a");
    library.scan();
    writePreset(folder + "B.fxp", "b");
    library.selectByPath("B", true);
    answerer.yes = false;
    library.deleteCurrentPreset();
    EXPECT_TRUE(std::filesystem::exists(folder + "B.fxp"));
    answerer.yes = true;
    library.deleteCurrentPreset();
    EXPECT_EQ(answerer.asked.back().text, "Do you really want to delete \"B\" ?\n(" + folder + "B.fxp)");
    EXPECT_FALSE(std::filesystem::exists(folder + "B.fxp"));
    EXPECT_EQ(library.getEntryCount(), 1);
    EXPECT_EQ(library.getCurrentIndex(), 0);
    EXPECT_EQ(effect.loaded.back(), "a");
}

TEST_F(PresetLibrary, RestoringFactoryPresetsOverwritesSameNamesOnly) {
    std::vector<std::uint8_t> store;
    std::string error;
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    ASSERT_TRUE(Packres::packStore({{"presets/Init Preset.fxp", bytes("factory-init")},
                                    {"presets/Filter/Sweep.fxp", bytes("factory-sweep")},
                                    {"presets/../Escape.fxp", bytes("escape")},
                                    {"Background.png", bytes("png")}},
                                   64, store, error));
    library.setFactoryStore({store.data(), store.size()});
    KavrenTest::writeTextFile(folder + "Filter/Sweep.fxp", "user-changed");
    KavrenTest::writeTextFile(folder + "Mine.fxp", "user-own");

    for (int round = 1; round <= 2; ++round) {
        library.askToRestoreFactoryPresets();
        EXPECT_EQ(answerer.asked.size(), static_cast<std::size_t>(round));
        EXPECT_EQ(answerer.asked.back().text,
                  "This will overwrite all presets with the same name! Are you sure?");
        EXPECT_EQ(KavrenTest::readTextFile(folder + "Filter/Sweep.fxp"), "factory-sweep");
        EXPECT_EQ(KavrenTest::readTextFile(folder + "Init Preset.fxp"), "factory-init");
        EXPECT_EQ(KavrenTest::readTextFile(folder + "Mine.fxp"), "user-own");
    }
    EXPECT_FALSE(std::filesystem::exists(root / "Escape.fxp"));
    EXPECT_FALSE(std::filesystem::exists(folder + "Background.png"));
    EXPECT_FALSE(Core::resourceStore().isOpen());
}

// In the plug-in nothing sets a factory store: the library's linked store is restored, while instances
// created on a host's worker thread read their init preset from it.
TEST_F(PresetLibrary, RestoresTheLinkedStoreWhileInstancesReadIt) {
    std::vector<Packres::PackEntry> entries{{"presets/Init Preset.fxp", {'i', 'n', 'i', 't'}}};
    for (int i = 0; i < 133; ++i)
        entries.push_back(
            {"presets/Category " + std::to_string(i % 7) + "/Preset " + std::to_string(i) + ".fxp",
             std::vector<std::uint8_t>(200 + i, std::uint8_t(i))});
    std::vector<std::uint8_t> store;
    std::string error;
    ASSERT_TRUE(Packres::packStore(entries, 64, store, error)) << error;
    Core::setLinkedResources({store.data(), store.size()});
    std::atomic<bool> restored{false};
    std::atomic<int> instances{0}, missed{0};
    std::thread worker([&] {
        while (!restored || instances < 50) {
            if (Core::readResource("presets/Init Preset.fxp").size() != 4) ++missed;
            ++instances;
        }
    });
    library.restoreFactoryPresets();
    restored = true;
    worker.join();
    Core::setLinkedResources({});
    EXPECT_EQ(missed.load(), 0);
    for (const Packres::PackEntry& entry : entries) {
        const std::string path = folder + entry.name.substr(std::strlen("presets/"));
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_EQ(std::filesystem::file_size(path), entry.content.size()) << path;
    }
}

// The reason in the system's words, in the one box the user sees.
TEST_F(PresetLibrary, AFailedSaveSaysWhyInTheSystemsWords) {
    const std::string path = folder + "Gone/New.fxp";
    library.savePreset(path.c_str(), false);
    ASSERT_EQ(answerer.asked.size(), 1u);
    EXPECT_EQ(answerer.asked[0].kind, Tessu::PresetQuestion::kOkStop);
    EXPECT_EQ(answerer.asked[0].text, "Could not save \"New\":\n" +
                                          Core::fileErrorText(KavrenTest::kMissingFolderError) + "\n(" +
                                          path + ")");
}

#ifndef _WIN32
// The folder from the XDG folder variables and the Linux settings file.
TEST(PresetFolder, DefaultsToTheDocumentsFolderUnlessConfigured) {
    TempFolder home;
    KavrenTest::ScopedEnvironment homeVariable("HOME", home.path());
    KavrenTest::ScopedEnvironment config("XDG_CONFIG_HOME", home / "config");
    KavrenTest::ScopedEnvironment dirs("XDG_CONFIG_DIRS", home / "system");
    EXPECT_EQ(CPresetInterface::defaultPresetFolder(), home / "Documents/Quillmark/kavren XL/Presets/");
    KavrenTest::writeTextFile(home / "config/Quillmark/kavrenxl/settings.ini", "PresetFolder=/srv/presets\n");
    EXPECT_EQ(CPresetInterface::defaultPresetFolder(), "/srv/presets/");
}

namespace {

// Every regular file under `folder` with its bytes.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path()] = KavrenTest::readTextFile(entry.path());
    return files;
}

// Writes past `bytes` fail with EFBIG instead of ending the process with SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

} // namespace

// A file system that fails: each operation says so in one box and leaves the files, the effect's name and
// sound and the current preset as they were.
TEST_F(PresetLibrary, FailuresAreReportedAndChangeNothing) {
    const bool permissionsCount = geteuid() != 0; // they do not stop root
    std::vector<std::uint8_t> store;
    const struct {
        const char* what;
        std::function<void()> setUp, act;
        const char* says;
    } rows[] = {
        {"save into a read-only folder",
         [&] {
             std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::owner_exec);
         },
         [&] { library.savePreset("New", true); }, permissionsCount ? "Could not save \"New\"" : nullptr},
        {"save where a plain file is in the way", [&] { KavrenTest::writeTextFile(folder + "Sub", "x"); },
         [&] { library.savePreset((folder + "Sub/New.fxp").c_str(), false); }, "Not a directory"},
        {"save over a preset on a full disk", [] {},
         [&] {
             FileSizeLimit limit(16);
             library.savePreset("A", true);
         },
         "File too large"},
        {"load a preset swapped for a FIFO",
         [&] {
             std::filesystem::remove(folder + "B.fxp");
             ASSERT_EQ(mkfifo((folder + "B.fxp").c_str(), 0644), 0);
         },
         [&] { library.loadPreset(folder + "B.fxp"); }, "could not be read"},
        {"delete a preset swapped for a folder",
         [&] {
             std::filesystem::remove(folder + "A.fxp");
             KavrenTest::writeTextFile(folder + "A.fxp/inside", "x");
         },
         [&] { library.deleteCurrentPreset(); }, "Could not delete \"A\""},
        {"restore factory presets on a full disk",
         [&] {
             std::string error;
             const std::string sameAsA = KavrenTest::readTextFile(folder + "A.fxp");
             ASSERT_TRUE(Packres::packStore(
                 {{"presets/A.fxp", std::vector<std::uint8_t>(sameAsA.begin(), sameAsA.end())},
                  {"presets/Big.fxp", std::vector<std::uint8_t>(4096, 1)}},
                 64, store, error));
             library.setFactoryStore({store.data(), store.size()});
         },
         [&] {
             FileSizeLimit limit(1024);
             library.restoreFactoryPresets();
         },
         "wrote 1 of 2"},
        {"open the folder without a file browser", [] {},
         [&] {
             KavrenTest::ScopedEnvironment noPrograms("PATH", root.path());
             library.openPresetFolder();
         },
         "Could not open the preset folder"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (!row.says) continue;
        std::error_code none;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, none);
        std::filesystem::remove_all(folder);
        writePreset(folder + "A.fxp", "a");
        writePreset(folder + "B.fxp", "b");
        library.scan();
        ASSERT_TRUE(library.loadPreset(folder + "A.fxp"));
        row.setUp();
        const auto files = filesUnder(folder);
        const auto loaded = effect.loaded;
        answerer.asked.clear();
        row.act();
        std::vector<std::string> reports; // questions (overwrite? delete?) come before the failure
        for (const Tessu::PresetQuestion& asked : answerer.asked)
            if (asked.kind == Tessu::PresetQuestion::kOkStop) reports.push_back(asked.text);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find(row.says), std::string::npos) << reports[0];
        EXPECT_EQ(filesUnder(folder), files);
        EXPECT_EQ(effect.name, "A");
        EXPECT_EQ(effect.loaded, loaded);
        EXPECT_EQ(library.getCurrentPath(), folder + "A.fxp");
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}
#endif
