#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "utilities/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using KavrenTest::ScopedEnvironment;
using KavrenTest::TempFolder;

TEST(SettingsFile, ParsesNameValueLinesIgnoringCaseOfNamesAndRefusesWhatCouldNotBeReadBack) {
    Core::SettingsFile file;
    file.parse(
        "# comment\r\n[section]\nPresetFolder=/a/b=c\r\nno equals sign\n\npresetfolder=second\nEmpty=\n");
    ASSERT_NE(file.find("PRESETFOLDER"), nullptr);
    EXPECT_EQ(*file.find("presetFolder"), "/a/b=c");
    ASSERT_NE(file.find("empty"), nullptr);
    EXPECT_EQ(*file.find("empty"), "");
    EXPECT_EQ(file.size(), 2u);
    EXPECT_EQ(file.find("missing"), nullptr);

    EXPECT_TRUE(file.set("presetfolder", "/new"));
    EXPECT_TRUE(file.set("LastUpdateCheck", "1700000000"));
    for (const auto& [name, value] : {std::pair<std::string_view, std::string_view>{"", "x"},
                                      {"a=b", "x"},
                                      {"#name", "x"},
                                      {"name", "two\nlines"},
                                      {"name", std::string_view("nul\0byte", 8)}})
        EXPECT_FALSE(file.set(name, value)) << name << "=" << value;
    EXPECT_EQ(file.serialize(), "PresetFolder=/new\nEmpty=\nLastUpdateCheck=1700000000\n");
}

class Settings : public ::testing::Test {
protected:
    TempFolder user;
    TempFolder system;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", user.path()};
    ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", "relative/ignored:" + system.path()};
    const std::string key = Core::settingsKey(Core::kCompanyKey, Core::kProductKey);
    const std::string userFile = user / "Quillmark/kavrenxl/settings.ini";
    const std::string systemFile = system / "Quillmark/kavrenxl/settings.ini";
};

// Key names ignore case; the file under the key's folder holds one line per name.
TEST_F(Settings, WriteThenReadBack) {
    EXPECT_EQ(key, "Software\\QUILLMARK\\kavrenXL\\");
    EXPECT_TRUE(Core::writeSetting(key, "PresetFolder", "/home/me/Presets/"));
    EXPECT_TRUE(Core::writeSetting("Software\\QUILLMARK\\KavrenXL\\", "LastUpdateCheck", "1700000000"));
    EXPECT_TRUE(Core::writeSetting(key, "presetfolder", "/other/"));
    std::string value;
    EXPECT_TRUE(Core::readSetting(key, "PresetFolder", value, "default"));
    EXPECT_EQ(value, "/other/");
    EXPECT_TRUE(Core::readSetting(key, "LastUpdateCheck", value, nullptr));
    EXPECT_EQ(value, "1700000000");
    EXPECT_EQ(KavrenTest::readTextFile(userFile), "PresetFolder=/other/\nLastUpdateCheck=1700000000\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user / "Quillmark/kavrenxl"), {}), 1);

    // Long values are cut when read.
    EXPECT_TRUE(Core::writeSetting(key, "PresetFolder", std::string(300, 'v').c_str()));
    EXPECT_TRUE(Core::readSetting(key, "PresetFolder", value, nullptr));
    EXPECT_EQ(value, std::string(Core::kMaxSettingLength, 'v'));
}

TEST_F(Settings, EmptyOrUnstorableValueOrKeyWritesNothing) {
    EXPECT_EQ(Core::userSettingsPath("Software\\QUILLMARK\\"), "");
    EXPECT_EQ(Core::userSettingsPath("Software\\..\\x\\"), "");
    EXPECT_FALSE(Core::writeSetting(key, "PresetFolder", ""));
    EXPECT_FALSE(Core::writeSetting(key, "PresetFolder", nullptr));
    EXPECT_FALSE(std::filesystem::exists(userFile));
    EXPECT_TRUE(Core::writeSetting(key, "PresetFolder", "/a/"));
    EXPECT_FALSE(Core::writeSetting(key, "PresetFolder", "line\nbreak"));
    EXPECT_EQ(KavrenTest::readTextFile(userFile), "PresetFolder=/a/\n");

    // A user file too large to read is not replaced either.
    const std::string huge = "PresetFolder=/x/\n" + std::string(Core::SettingsFile::kMaxFileSize, '#');
    KavrenTest::writeTextFile(userFile, huge);
    EXPECT_FALSE(Core::writeSetting(key, "LastUpdateCheck", "5"));
    EXPECT_EQ(KavrenTest::readTextFile(userFile).size(), huge.size());
}

TEST_F(Settings, MissingValueStoresTheDefault) {
    std::string value = "stale";
    EXPECT_FALSE(Core::readSetting(key, "LastUpdateCheck", value, "0"));
    EXPECT_EQ(value, "0");
    EXPECT_EQ(KavrenTest::readTextFile(userFile), "LastUpdateCheck=0\n");

    EXPECT_FALSE(Core::readSetting(key, "PresetFolder", value, ""));
    EXPECT_EQ(value, "");
    EXPECT_EQ(KavrenTest::readTextFile(userFile), "LastUpdateCheck=0\n");
}

TEST_F(Settings, SystemValueIsCopiedToTheUser) {
    KavrenTest::writeTextFile(systemFile, "PresetFolder=/opt/presets/\n");
    std::string value;
    EXPECT_TRUE(Core::readSetting(key, "PresetFolder", value, "default"));
    EXPECT_EQ(value, "/opt/presets/");
    EXPECT_EQ(KavrenTest::readTextFile(userFile), "PresetFolder=/opt/presets/\n");

    // The user's value now wins over a changed system value.
    KavrenTest::writeTextFile(systemFile, "PresetFolder=/changed/\n");
    EXPECT_TRUE(Core::readSetting(key, "PresetFolder", value, "default"));
    EXPECT_EQ(value, "/opt/presets/");
}
