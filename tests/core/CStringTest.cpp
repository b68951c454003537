#include "core/CString.h"
#include "core/Paths.h"

#include <gtest/gtest.h>
#include <string>

using Core::CString;

TEST(CString, TruncatesToCapacityMinusOne) {
    char buffer[64];
    CString text(buffer, sizeof buffer);
    const std::string hundred(100, 'x');
    text.set(hundred.c_str());
    EXPECT_EQ(std::string(text.c_str()), std::string(63, 'x'));
    EXPECT_EQ(text.compare(std::string(63, 'x').c_str()), 0);
    // Only capacity - 1 bytes take part in the comparison.
    EXPECT_EQ(text.compare(hundred.c_str()), 0);
    EXPECT_LT(text.compare("y"), 0);
    text.set(nullptr);
    EXPECT_STREQ(text.c_str(), "");
}

TEST(CString, NeverSplitsAMultiByteCharacter) {
    char buffer[6];
    CString text(buffer, sizeof buffer);
    text.set("ab\xC3\xA9\xC3\xA9"); // "abéé" is 6 bytes; 5 fit, which would cut the second é
    EXPECT_STREQ(text.c_str(), "ab\xC3\xA9");
    text.assign("abcde");
    EXPECT_STREQ(text.text(), "abcde");
}

TEST(CString, GetZeroFillsTheDestinationRange) {
    char buffer[8];
    CString text(buffer, sizeof buffer);
    text.set("abc");
    char out[8];
    std::fill(std::begin(out), std::end(out), '#');
    text.get(out);
    EXPECT_EQ(std::string(out, 8), std::string("abc\0\0\0\0\0", 8));
}

TEST(Paths, SplitsAndConvertsPaths) {
    std::string path = "C:\\Presets\\Filter\\Sweep.fxp";
    Core::toForwardSlashes(path);
    EXPECT_EQ(path, "C:/Presets/Filter/Sweep.fxp");
    EXPECT_EQ(Core::fileStem(path), "Sweep");
    EXPECT_EQ(Core::folderPart(path), "C:/Presets/Filter/");
    EXPECT_EQ(Core::fileExtension(path), ".fxp");
    EXPECT_EQ(Core::fileStem("a.b/name"), "name");
    EXPECT_EQ(Core::fileExtension("a.b/name"), "");
    EXPECT_EQ(Core::fileStem("C:\\Presets/Filter\\Sweep.fxp"), "Sweep");
    EXPECT_EQ(Core::folderPart("C:\\Presets\\Sweep.fxp"), "C:\\Presets\\");
    EXPECT_EQ(Core::fileExtension("a.b\\name"), "");
    EXPECT_EQ(Core::withTrailingSlash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(Core::withTrailingSlash("/x"), "/x/");
    EXPECT_EQ(Core::withTrailingSlash("/x/"), "/x/");
    EXPECT_TRUE(Core::equalsIgnoringCase("Init.FXP", "init.fxp"));
    EXPECT_FALSE(Core::equalsIgnoringCase("Init", "Init "));
}
