#include "core/DirectoryIterator.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "core/SpecialFolders.h"
#include "utilities/TempFolder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

using KavrenTest::ScopedEnvironment;
using KavrenTest::TempFolder;

class SpecialFolders : public ::testing::Test {
protected:
    TempFolder home;
    ScopedEnvironment homeVariable{"HOME", home.path()};
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", std::nullopt};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", std::nullopt};
};

// user-dirs.dirs from the config folder (or XDG_CONFIG_HOME) decides the desktop and documents unless an
// entry names the home folder itself; XDG_DATA_HOME decides the data folder.
TEST_F(SpecialFolders, UserDirsDecideDesktopAndDocumentsAndXdgVariablesCount) {
    KavrenTest::writeTextFile(home / ".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                               "  XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderDesktop), home / "Schreibtisch/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderSharedDocuments, "Quillmark"), "/srv/docs/Quillmark");

    TempFolder config;
    ScopedEnvironment configVariable{"XDG_CONFIG_HOME", config.path()};
    ScopedEnvironment dataVariable{"XDG_DATA_HOME", "/var/data"};
    KavrenTest::writeTextFile(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderSharedDocuments), home / "Documents/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderUserData), "/var/data/");
}

TEST_F(SpecialFolders, FallbacksWithoutUserDirs) {
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderDesktop), home.path() + "/");
    std::filesystem::create_directory(home / "Desktop");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderDesktop), home / "Desktop/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderSharedDocuments), home / "Documents/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderUserData), home / ".local/share/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderSharedData, "x"), home / ".local/share/x");
    EXPECT_EQ(Core::specialFolderPath(7, "x"), "");
}

// One call moves every folder, whatever HOME and the XDG variables say.
TEST_F(SpecialFolders, RedirectedHomeOverridesTheEnvironment) {
    TempFolder root;
    ScopedEnvironment dataVariable{"XDG_DATA_HOME", "/var/data"};
    ScopedEnvironment configVariable{"XDG_CONFIG_HOME", "/var/config"};
    Core::redirectHomeFolder(root.path());
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderUserData), root / ".local/share/");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderSharedDocuments), root / "Documents/");
    EXPECT_EQ(Core::userSettingsPath(Core::settingsKey("QUILLMARK", "kavrenXL")),
              root / ".config/Quillmark/kavrenxl/settings.ini");
    Core::redirectHomeFolder("");
    EXPECT_EQ(Core::specialFolderPath(Core::kFolderUserData), "/var/data/");
}

namespace {
std::multiset<std::string> listAll(const std::string& pattern, std::uint32_t flags, int* skipped = nullptr) {
    Core::DirectoryIterator iterator(pattern, flags);
    std::multiset<std::string> names;
    std::string name;
    while (iterator.next(name)) {
        if (name.empty()) {
            if (skipped) ++*skipped;
            continue;
        }
        names.insert(name);
    }
    EXPECT_FALSE(iterator.next(name));
    iterator.close();
    iterator.close();
    return names;
}
} // namespace

TEST(DirectoryIterator, NamesFoldersWithSlashAndHidesDotFiles) {
    TempFolder folder;
    KavrenTest::writeTextFile(folder / "A.fxp", "a");
    KavrenTest::writeTextFile(folder / "notes.txt", "n");
    KavrenTest::writeTextFile(folder / ".hidden.fxp", "h");
    KavrenTest::writeTextFile(folder / "Filter/B.fxp", "b");
    std::filesystem::create_directory_symlink(folder / "Filter", folder / "Linked");
    ASSERT_EQ(mkfifo((folder / "Pipe.fxp").c_str(), 0644), 0);

    int skipped = 0;
    EXPECT_EQ(listAll(folder / "*", 0, &skipped),
              (std::multiset<std::string>{"/.", "/..", "A.fxp", "notes.txt", "/Filter", "/Linked"}));
    EXPECT_EQ(skipped, 2) << "the hidden file and the FIFO";
    EXPECT_EQ(listAll(folder / "*.fxp", 0), (std::multiset<std::string>{"A.fxp"}));
    EXPECT_EQ(listAll(folder / "*.fxp", Core::DirectoryIterator::kListHidden),
              (std::multiset<std::string>{"A.fxp", ".hidden.fxp"}));
    EXPECT_TRUE(listAll(folder / "missing/*", 0).empty());
}

TEST(FileSystem, CreatesParentsAndWritesAtomically) {
    TempFolder folder;
    const std::string nested = folder / "a/b/c";
    EXPECT_TRUE(Core::createFolders(nested));
    EXPECT_TRUE(Core::createFolders(nested + "/"));
    const std::string file = nested + "/data.bin";
    EXPECT_TRUE(Core::writeFileAtomically(file, "first", 5));
    EXPECT_TRUE(Core::writeFileAtomically(file, "second!", 7));
    EXPECT_EQ(KavrenTest::readTextFile(file), "second!");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(nested), {}), 1) << "no temporary file left";
    EXPECT_FALSE(Core::writeFileAtomically(folder / "missing/x.bin", "x", 1));
    EXPECT_TRUE(Core::fileExists(file));
    EXPECT_FALSE(Core::fileExists(nested));
    EXPECT_TRUE(Core::removeFile(file));
    EXPECT_FALSE(Core::removeFile(file));
}

TEST(FileSystem, BoundedReadRefusesLargerFiles) {
    TempFolder folder;
    KavrenTest::writeTextFile(folder / "ten", "0123456789");
    std::string text = "untouched";
    EXPECT_FALSE(Core::readFileBounded(folder / "ten", 9, text));
    EXPECT_EQ(text, "untouched");
    EXPECT_TRUE(Core::readFileBounded(folder / "ten", 10, text));
    EXPECT_EQ(text, "0123456789");
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(Core::readFileBounded(folder.path(), 100, bytes)) << "a folder is not a file";
    EXPECT_FALSE(Core::readFileBounded("/proc/self/status", 1, bytes));
}

// Special files never block a reader or writer, and are never replaced by a new plain file.
TEST(FileSystem, SpecialFilesNeitherBlockNorGetReplaced) {
    TempFolder folder;
    const std::string fifo = folder / "fifo.fxp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const struct {
        std::string path;
        bool readable, writable;
        int error; // of a refused write
    } rows[] = {
        {fifo, false, false, ENXIO}, // no reader: refused, not waited for
        {"/dev/full", false, false, ENOSPC},
        {"/dev/null", false, true, 0},
        {folder.path(), false, false, EISDIR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        std::string text = "untouched";
        EXPECT_EQ(Core::readFileBounded(row.path, 100, text), row.readable);
        EXPECT_EQ(text, "untouched");
        errno = 0;
        EXPECT_EQ(Core::writeFileAtomically(row.path, "data", 4), row.writable);
        if (!row.writable) {
            EXPECT_EQ(errno, row.error);
        }
        EXPECT_FALSE(std::filesystem::is_regular_file(row.path)) << "not replaced";
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no temporary file";
}
