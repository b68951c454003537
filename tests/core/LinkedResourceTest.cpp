// The store that the build packs with packres and links in through kavren_resource_store(), used the one
// way the program uses it: through ResourceStoreAccess.
#include "core/ResourceStoreAccess.h"
#include "kavrenTestResources.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>
#include <thread>

namespace {
std::string sourceFile(const std::string& name) {
    return KavrenTest::readTextFile(std::string(KAVREN_TEST_DATA_DIR) + "/" + name);
}

std::string text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

TEST(LinkedResourceStore, HoldsTheListedFilesUnchanged) {
    Core::ResourceStoreAccess access(kavrenTestResources_block());
    ASSERT_TRUE(access.isOpen());
    ASSERT_EQ(access.store().count(), 3);
    const struct {
        const char* name;
        const char* file;
        bool compressed;
    } expected[] = {{"presets/Init Preset.fxp", "odd.txt", false},
                    {"even.bin", "even.txt", false},
                    {"docs/large.txt", "large.txt", true}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(access.store().entryAt(i)->name, expected[i].name);
        EXPECT_EQ(access.store().entryAt(i)->packedSize > 0, expected[i].compressed) << expected[i].name;
        EXPECT_EQ(text(access.copy(expected[i].name)), sourceFile(expected[i].file));
    }
}

// Hosts create instances (which read the init preset) on worker threads while the editor reads its
// bitmaps: every reader gets its bytes, and between readers the store is closed.
TEST(LinkedResourceStore, ReadersOnSeveralThreadsTakeTurns) {
    Core::setLinkedResources(kavrenTestResources_block());
    const std::string expected[2] = {sourceFile("odd.txt"), sourceFile("large.txt")};
    const char* names[2] = {"presets/Init Preset.fxp", "docs/large.txt"};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            for (int k = 0; k < 200; ++k) {
                if (text(Core::readResource(names[(t + k) % 2])) != expected[(t + k) % 2]) ++wrong;
            }
        });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_FALSE(Core::resourceStore().isOpen());
    Core::setLinkedResources({});
    EXPECT_TRUE(Core::readResource("even.bin").empty());
}

TEST(LinkedResourceStore, AnAccessClosesWhatItOpenedAndNeverNests) {
    {
        Core::ResourceStoreAccess access(kavrenTestResources_block());
        ASSERT_TRUE(access.isOpen());
        std::int32_t size = 0;
        EXPECT_NE(access.store().read("even.bin", size), nullptr); // never given back
        Core::ResourceStoreAccess nested(kavrenTestResources_block());
        EXPECT_FALSE(nested.isOpen());
        EXPECT_TRUE(nested.copy("even.bin").empty());
        EXPECT_EQ(text(access.copy("even.bin")), sourceFile("even.txt"));
    }
    EXPECT_FALSE(Core::resourceStore().isOpen());
    EXPECT_EQ(Core::resourceStore().outstandingBuffers(), 0u);

    // No block, and a block that starts like a store but whose directory is unreadable.
    const std::uint8_t broken[64] = {'R', 'E', 'S', 'O', 'U', 'R', 'C', 'E', '2'};
    for (Core::ResourceBlock block : {Core::ResourceBlock{}, Core::ResourceBlock{broken, sizeof broken}}) {
        EXPECT_FALSE(Core::ResourceStoreAccess(block).isOpen());
        EXPECT_FALSE(Core::resourceStore().isOpen());
    }
}
