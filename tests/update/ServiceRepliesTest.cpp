// What the service takes from the server's replies, and the names downloads are stored under.
#include "update/ServiceReplies.h"
#include "update/InstallerFile.h"

#include <gtest/gtest.h>

TEST(ServiceReplies, UpdateAndProductPage) {
    struct Case {
        const char* reply;
        const char* downloadUrl;
        const char* productPage;
    } cases[] = {
        {"UPDATE http://dl.example.com/Setup.exe\nPRODUCT_PAGE=https://example.com/p\n",
         "http://dl.example.com/Setup.exe", "https://example.com/p"},
        {"  PRODUCT_PAGE: http://example.com/p more\r\nUPDATE=http://a/b\r\n", "http://a/b",
         "http://example.com/p"},
        {"UPDATE https://secure/x\nUPDATE ftp://x\nUPDATE http://\n", "", ""},
        {"NO_UPDATE http://a/b\nUPDATES http://a/b\nversion UPDATE http://a/b\n", "", ""},
        {"UPDATE\thttp://first/x\nUPDATE http://second/y", "http://first/x", ""},
        {"PRODUCT_PAGE javascript:alert(1)\n", "", ""},
        {"UPDATE http://dl.example.com/Setup\xC3\xA9.exe\nPRODUCT_PAGE http://ex\x7F"
         "ample.com/\n",
         "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const Pellu::UpdateReply reply = Pellu::parseUpdateReply(c.reply);
        EXPECT_EQ(reply.downloadUrl, c.downloadUrl) << c.reply;
        EXPECT_EQ(reply.productPage, c.productPage) << c.reply;
    }
    EXPECT_EQ(
        Pellu::parseUpdateReply("UPDATE http://h/" + std::string(Pellu::kMaxAddressLength, 'x')).downloadUrl,
        "");
}

TEST(ServiceReplies, NewsNumbers) {
    EXPECT_EQ(Pellu::parseNewsReply("12, 0, 34;x007 18446744073709551615 18446744073709551616"),
              (std::vector<std::uint64_t>{12, 34, 7, 18446744073709551615ull}));
    EXPECT_TRUE(Pellu::parseNewsReply("none 0 00").empty());
    EXPECT_TRUE(Pellu::parseNewsReply(std::string(30, '1')).empty()) << "too large to fit";
    std::string many;
    for (int i = 1; i <= 300; ++i) many += std::to_string(i) + ",";
    EXPECT_EQ(Pellu::parseNewsReply(many).size(), Pellu::kMaxNewsNumbers);
}

TEST(InstallerFile, SanitisedNames) {
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"files/Kavren%20XL%20Setup.exe?session=1#top", "Kavren XL Setup.exe"},
        {"a/b/../../.bashrc", "bashrc"},
        {"x/..%2F..%2Fetc%2Fpasswd", "_.._etc_passwd"},
        {"x/%2e%2e", "kavrenXL-installer"},
        {"dir/", "kavrenXL-installer"},
        {"", "kavrenXL-installer"},
        {"in$ta;ller|`x`.sh", "in_ta_ller__x_.sh"},
        {"nul%00byte", "nul_byte"},
        {"%zzbad%4", "_zzbad_4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Pellu::sanitizedFileName(c.path, "kavrenXL-installer"), c.name) << c.path;
    EXPECT_EQ(Pellu::sanitizedFileName(std::string(300, 'a'), "f").size(), 100u);
}
