// The store that the build packs with packres and links in through kavren_resource_store().
#include "core/CResourceStore.h"
#include "kavrenTestResources.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {
std::string sourceFile(const std::string& name) {
    std::ifstream in(std::string(KAVREN_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST(LinkedResourceStore, HoldsTheListedFilesUnchanged) {
    Core::CResourceStore& store = Core::resourceStore();
    ASSERT_TRUE(store.open(kavrenTestResources_block()));
    ASSERT_EQ(store.count(), 3);
    const struct {
        const char* name;
        const char* file;
        bool compressed;
    } expected[] = {{"presets/Init Preset.fxp", "odd.txt", false},
                    {"even.bin", "even.txt", false},
                    {"docs/large.txt", "large.txt", true}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(store.entryAt(i)->name, expected[i].name);
        EXPECT_EQ(store.entryAt(i)->packedSize > 0, expected[i].compressed) << expected[i].name;
        std::int32_t size = 0;
        std::uint8_t* data = store.read(expected[i].name, size);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<std::size_t>(size)),
                  sourceFile(expected[i].file));
        store.release(data);
    }
    store.close();
}
