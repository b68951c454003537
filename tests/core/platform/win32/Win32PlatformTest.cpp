// The Windows core platform where Linux cannot check it: the registry, UTF-16 file names, replacing a file
// that is open, and the Known Folders.
#include "core/DirectoryIterator.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "core/SpecialFolders.h"
#include "core/TempFolder.h"
#include "core/platform/win32/WideText.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <windows.h>

namespace {

/** A settings key of its own under both roots, deleted with everything in it afterwards. */
class ScratchKey {
public:
    ScratchKey() : company_("QUILLMARK-test-" + std::to_string(std::random_device()())) {}
    ~ScratchKey() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            RegDeleteTreeW(root, Core::widened("Software\\" + company_).c_str());
    }
    std::string key() const { return Core::settingsKey(company_.c_str(), Core::kProductKey); }
    bool writeMachineWide(const char* name, const wchar_t* value) const {
        HKEY handle = nullptr;
        const std::wstring path = Core::widened("Software\\" + company_ + "\\" + Core::kProductKey);
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG result = RegSetValueExW(handle, Core::widened(name).c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(value),
                                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
        return result == ERROR_SUCCESS;
    }

private:
    std::string company_;
};

TEST(Win32Settings, UserValuesRoundTripAndTheMachineWideValueIsCopiedToTheUser) {
    ScratchKey scratch;
    std::string value;
    // Missing everywhere: the default, stored for the user.
    EXPECT_FALSE(Core::readSetting(scratch.key(), "LastUpdateCheck", value, "0"));
    EXPECT_EQ(value, "0");
    EXPECT_TRUE(Core::readSetting(scratch.key(), "LastUpdateCheck", value, "7"));
    EXPECT_EQ(value, "0");

    ASSERT_TRUE(Core::writeSetting(scratch.key(), "PresetFolder", "C:/Presets/Fünf €"));
    EXPECT_TRUE(Core::readSetting(scratch.key(), "presetfolder", value, "")); // names ignore case
    EXPECT_EQ(value, "C:/Presets/Fünf €");
    EXPECT_FALSE(Core::writeSetting(scratch.key(), "PresetFolder", ""));

    ASSERT_TRUE(scratch.writeMachineWide("UpdateServer", L"updates.example"));
    EXPECT_TRUE(Core::readSetting(scratch.key(), "UpdateServer", value, ""));
    EXPECT_EQ(value, "updates.example");
    ASSERT_TRUE(scratch.writeMachineWide("UpdateServer", L"elsewhere.example"));
    EXPECT_TRUE(Core::readSetting(scratch.key(), "UpdateServer", value, ""));
    EXPECT_EQ(value, "updates.example") << "the user's copy wins once made";
}

TEST(Win32Files, NamesBeyondAsciiAreWrittenReadAndListed) {
    KavrenTest::TempFolder temp;
    const std::string folder = temp / "Prés€ts Ωmega/Unter";
    ASSERT_TRUE(Core::createFolders(folder));
    const std::string path = folder + "/Tiefe Bässe 低音.fxp";
    ASSERT_TRUE(Core::writeFileAtomically(path, "abc", 3));
    std::string contents;
    ASSERT_TRUE(Core::readFileBounded(path, 16, contents));
    EXPECT_EQ(contents, "abc");
    EXPECT_FALSE(Core::readFileBounded(path, 2, contents)) << "larger than allowed";
    EXPECT_TRUE(Core::fileExists(path));
    EXPECT_FALSE(Core::folderExists(path));

    std::set<std::string> names;
    Core::DirectoryIterator entries(temp / "Prés€ts Ωmega/*");
    for (std::string name; entries.next(name);) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"/.", "/..", "/Unter"}));
    Core::DirectoryIterator presets(folder + "/*.fxp");
    std::string name;
    ASSERT_TRUE(presets.next(name));
    EXPECT_EQ(name, "Tiefe Bässe 低音.fxp");
    EXPECT_FALSE(presets.next(name));
    EXPECT_TRUE(Core::removeFile(path));
    EXPECT_FALSE(Core::fileExists(path));
}

TEST(Win32Files, AtomicReplaceSucceedsWhileAReaderHoldsTheFileOpen) {
    KavrenTest::TempFolder temp;
    const std::string path = temp / "settings.txt";
    ASSERT_TRUE(Core::writeFileAtomically(path, "old", 3));
    // Opened the way readers of this program open files.
    HANDLE reader = CreateFileW(Core::widened(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Core::writeFileAtomically(path, "newer", 5));
    char old[8] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(reader, old, sizeof(old), &got, nullptr));
    EXPECT_EQ(std::string(old, got), "old") << "the open file keeps its bytes";
    CloseHandle(reader);
    std::string contents;
    ASSERT_TRUE(Core::readFileBounded(path, 16, contents));
    EXPECT_EQ(contents, "newer");
    Core::DirectoryIterator left(temp / "*");
    std::set<std::string> names;
    for (std::string name; left.next(name);) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"/.", "/..", "settings.txt"})) << "no temporary file left";
}

TEST(Win32Folders, EveryKindIsAnExistingFolderWithForwardSlashes) {
    for (int kind : {Core::kFolderDesktop, Core::kFolderUserData, Core::kFolderSharedDocuments,
                     Core::kFolderSharedData}) {
        const std::string folder = Core::specialFolderPath(kind);
        ASSERT_FALSE(folder.empty()) << kind;
        EXPECT_EQ(folder.back(), '/') << folder;
        EXPECT_EQ(folder.find('\\'), std::string::npos) << folder;
        EXPECT_TRUE(Core::folderExists(folder)) << folder;
        EXPECT_EQ(Core::specialFolderPath(kind, "Quillmark/x"), folder + "Quillmark/x");
    }
    EXPECT_EQ(Core::specialFolderPath(4), "");
    EXPECT_FALSE(Core::homeFolder().empty());
}

} // namespace
