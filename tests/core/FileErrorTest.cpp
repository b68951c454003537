// Failed file calls leave the system's own reason, which reads as the system words it.
#include "core/FileSystem.h"
#include "utilities/SystemErrors.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace KavrenTest;

TEST(FileErrors, EachFailureLeavesTheSystemsReasonInItsWords) {
    KavrenTest::TempFolder folder;
    KavrenTest::writeTextFile(folder / "plain", "x");
    const struct {
        const char* what;
        bool (*fail)(const std::string& folder);
        int reason;
    } rows[] = {
        {"write into a missing folder",
         [](const std::string& at) { return Core::writeFileAtomically(at + "/missing/a.fxp", "data", 4); },
         kMissingFolderError},
        {"remove a missing file", [](const std::string& at) { return Core::removeFile(at + "/missing.fxp"); },
         kMissingFileError},
        {"create a folder where a file is",
         [](const std::string& at) { return Core::createFolders(at + "/plain"); }, kNotAFolderError},
        {"create folders beneath a file",
         [](const std::string& at) { return Core::createFolders(at + "/plain/sub/deeper"); },
         kBeneathAFileError},
    };
    std::set<std::string> texts;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_FALSE(row.fail(folder.path()));
        EXPECT_EQ(Core::lastFileError(), row.reason);
        const std::string text = Core::fileErrorText(row.reason);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text, Core::fileErrorText(0));
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), ' ');
        texts.insert(text);
    }
    EXPECT_GE(texts.size(), 2u) << "different reasons read differently";
}

} // namespace
