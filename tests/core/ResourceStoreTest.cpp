#include "ResourcePacker.h"
#include "core/CResourceStore.h"
#include "core/ResourceFormat.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using Core::CResourceStore;
namespace Format = Core::ResourceFormat;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> pack(const std::vector<Packres::PackEntry>& entries,
                               std::size_t compressAbove = 64) {
    std::vector<std::uint8_t> store;
    std::string error;
    EXPECT_TRUE(Packres::packStore(entries, compressAbove, store, error)) << error;
    return store;
}

std::string readText(CResourceStore& store, const char* name) {
    std::int32_t size = -1;
    std::uint8_t* data = store.read(name, size);
    if (!data) return "<null:" + std::to_string(size) + ">";
    std::string text(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    store.release(data);
    return text;
}

const std::string kLarge = std::string(300, 'a') + std::string(300, 'b');

std::vector<Packres::PackEntry> sampleEntries() {
    return {{"presets/Init Preset.fxp", bytesOf("init")},
            {"odd.bin", bytesOf("12345")},
            {"Background.png", bytesOf(kLarge)},
            {"empty", {}}};
}

/** Offset of the data area in a packed store. */
std::size_t dataAreaOf(const std::vector<std::uint8_t>& block) {
    const std::size_t directory = Format::readU32(block.data() + 12);
    return directory + Format::readU32(block.data() + directory + 4);
}

} // namespace

TEST(ResourceStore, PackedEntriesReadBackByExactName) {
    const auto block = pack(sampleEntries());
    CResourceStore store;
    EXPECT_EQ(store.count(), -1);
    ASSERT_TRUE(store.open(block.data(), block.size()));
    EXPECT_FALSE(store.open(block.data(), block.size())) << "one open store at a time";
    ASSERT_EQ(store.count(), 4);
    EXPECT_STREQ(store.entryAt(0)->name, "presets/Init Preset.fxp");
    EXPECT_EQ(store.entryAt(4), nullptr);
    EXPECT_EQ(store.entryAt(-1), nullptr);

    EXPECT_EQ(readText(store, "presets/Init Preset.fxp"), "init");
    EXPECT_EQ(readText(store, "odd.bin"), "12345");
    EXPECT_EQ(readText(store, "Background.png"), kLarge);
    EXPECT_EQ(readText(store, "empty"), "");
    EXPECT_EQ(readText(store, "presets/init preset.fxp"), "<null:0>") << "names are case-sensitive";
    EXPECT_EQ(readText(store, "presets/"), "<null:0>");
    EXPECT_EQ(store.outstandingBuffers(), 0u);
    store.close();
    EXPECT_EQ(store.count(), -1);
}

TEST(ResourceStore, SmallEntriesAreMaskedAndLargeOnesCompressed) {
    const auto block = pack(sampleEntries());
    CResourceStore store;
    ASSERT_TRUE(store.open(block.data(), block.size()));
    const Core::ResourceEntry* odd = store.entryAt(1);
    const Core::ResourceEntry* large = store.entryAt(2);
    EXPECT_LE(odd->packedSize, 0);
    EXPECT_GT(large->packedSize, 0);
    EXPECT_LT(large->packedSize, large->size);
    EXPECT_EQ(large->size, static_cast<std::int32_t>(kLarge.size()));

    // "12345": even positions 0, 2, 4 (the odd final byte included) take the even mask.
    const std::uint8_t* stored = block.data() + dataAreaOf(block) + odd->offset;
    EXPECT_EQ(stored[0], '1' ^ Format::kEvenMask);
    EXPECT_EQ(stored[1], '2' ^ Format::kOddMask);
    EXPECT_EQ(stored[3], '4' ^ Format::kOddMask);
    EXPECT_EQ(stored[4], '5' ^ Format::kEvenMask);
}

TEST(ResourceStore, EveryReadIsAnIndependentBufferFreedByClose) {
    const auto block = pack(sampleEntries());
    CResourceStore store;
    ASSERT_TRUE(store.open(block.data(), block.size()));
    std::int32_t firstSize = 0, secondSize = 0;
    std::uint8_t* first = store.read("odd.bin", firstSize);
    std::uint8_t* second = store.read("odd.bin", secondSize);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first[0] = 'X';
    EXPECT_EQ(second[0], '1');
    EXPECT_EQ(store.outstandingBuffers(), 2u);
    store.release(nullptr);
    EXPECT_EQ(store.outstandingBuffers(), 2u);
    store.close(); // frees both (checked under the address sanitizer's leak detection)
    EXPECT_EQ(store.outstandingBuffers(), 0u);
}

TEST(ResourceStore, PackerRefusesBadEntryLists) {
    std::vector<std::uint8_t> store;
    std::string error;
    EXPECT_FALSE(Packres::packStore({{"a", {}}, {"a", {}}}, 64, store, error));
    EXPECT_NE(error.find("twice"), std::string::npos);
    EXPECT_FALSE(Packres::packStore({{std::string(256, 'n'), {}}}, 64, store, error));
    EXPECT_FALSE(Packres::packStore({{"", {}}}, 64, store, error));
    EXPECT_TRUE(Packres::packStore({{std::string(255, 'n'), {}}}, 64, store, error));
}

TEST(ResourceStore, ForeignTruncatedOrOutOfBoundsBlocksAreRejected) {
    const auto block = pack(sampleEntries());
    CResourceStore store;

    auto foreign = block;
    foreign[3] = 'X';
    EXPECT_FALSE(store.open(foreign.data(), foreign.size()));
    EXPECT_EQ(store.count(), -1) << "another layout leaves the store closed";
    EXPECT_FALSE(store.open(block.data(), 10));
    EXPECT_EQ(store.count(), -1);

    // Every truncation of the directory leaves an open, empty store.
    for (std::size_t length : {std::size_t{16}, std::size_t{39}, std::size_t{41}, dataAreaOf(block) - 1}) {
        EXPECT_FALSE(store.open(block.data(), length)) << length;
        EXPECT_EQ(store.count(), 0) << length;
        store.close();
    }
    // Cut into the data area: the last entry no longer fits, so the whole directory is refused.
    EXPECT_FALSE(store.open(block.data(), block.size() - 1));
    EXPECT_EQ(store.count(), 0);
    store.close();

    // Header fields that point outside the block.
    const std::size_t directory = Format::readU32(block.data() + 12);
    struct Patch {
        std::size_t offset;
        std::uint32_t value;
    };
    for (const Patch patch :
         {Patch{12, 0xFFFFFFF0u}, Patch{directory + 4, 0xFFFFFFF0u},
          Patch{directory + 8, 5 * Format::kEntrySize}, Patch{directory + 12, 0x7FFFFFFFu},
          Patch{directory + 16, 0xFFFFFFFFu}, Patch{directory + 16, 3}}) {
        auto corrupt = block;
        Format::writeU32(corrupt.data() + patch.offset, patch.value);
        EXPECT_FALSE(store.open(corrupt.data(), corrupt.size())) << patch.offset;
        EXPECT_LE(store.count(), 0);
        store.close();
    }
}

TEST(ResourceStore, CorruptCompressedEntryReadsAsNull) {
    auto block = pack(sampleEntries());
    CResourceStore store;
    ASSERT_TRUE(store.open(block.data(), block.size()));
    const Core::ResourceEntry large = *store.entryAt(2);
    store.close();
    block[dataAreaOf(block) + large.offset + 2] ^= 0xFF;
    ASSERT_TRUE(store.open(block.data(), block.size()));
    std::int32_t size = 123;
    EXPECT_EQ(store.read("Background.png", size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(store.outstandingBuffers(), 0u);
    EXPECT_EQ(readText(store, "odd.bin"), "12345") << "other entries stay readable";
}
