#include "presets/CPresetChunk.h"
#include "core/ResourceFormat.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zlib.h>

using Tessu::CPresetChunk;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes u32(std::uint32_t value) {
    Bytes bytes(4);
    Core::ResourceFormat::writeU32(bytes.data(), value);
    return bytes;
}

Bytes& operator+=(Bytes& bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// A block: "KCnk", its name in a 24-byte field, header size 40, version, data size, data.
Bytes blockBytes(const std::string& name, const Bytes& data) {
    Bytes block = {'K', 'C', 'n', 'k', 0};
    Bytes field(20 + 3, 0);
    std::memcpy(field.data(), name.data(), name.size());
    block += field;
    for (std::uint32_t value : {40u, 0x1000u, static_cast<std::uint32_t>(data.size())}) block += u32(value);
    return block += data;
}

// An uncompressed chunk: the identifier in a 20-byte field, zero, header size 44, version, compressed flag
// 0, stored and raw payload sizes, payload.
Bytes chunkBytes(const char* identifier, const Bytes& payload) {
    Bytes chunk(20, 0);
    std::memcpy(chunk.data(), identifier, std::strlen(identifier));
    const auto size = static_cast<std::uint32_t>(payload.size());
    for (std::uint32_t value : {0u, 44u, 0x1000u, 0u, size, size}) chunk += u32(value);
    return chunk += payload;
}

void patchU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    ASSERT_GE(bytes.size(), offset + 4);
    Core::ResourceFormat::writeU32(bytes.data() + offset, value);
}

Bytes text(const std::string& value) {
    Bytes bytes(value.begin(), value.end());
    bytes.push_back(0);
    return bytes;
}

Bytes serialized(CPresetChunk& chunk) {
    void* data = nullptr;
    const std::int32_t size = chunk.serialize(&data);
    if (size <= 0 || !data) return {};
    return Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

CPresetChunk kavrenChunk() {
    CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset");
    return chunk;
}

std::string blockText(CPresetChunk& chunk, const char* name) {
    void* data = nullptr;
    const std::int32_t size = chunk.findBlock(name, &data);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : "<none>";
}

} // namespace

TEST(CPresetChunk, ScrambleReversesOverlappingFourByteGroups) {
    const std::vector<Bytes> expected = {
        {0, 1, 2}, {3, 2, 1, 0}, {3, 2, 1, 0, 4}, {3, 2, 5, 4, 0, 1}, {3, 2, 5, 4, 0, 1, 6}};
    const Bytes counting = {0, 1, 2, 3, 4, 5, 6};
    for (std::size_t n = 3; n <= 7; ++n) {
        const Bytes original(counting.begin(), counting.begin() + long(n));
        Bytes payload = original;
        CPresetChunk::scramble(payload.data(), n);
        EXPECT_EQ(payload, expected[n - 3]) << "payload of " << n << " bytes";
        CPresetChunk::unscramble(payload.data(), n);
        EXPECT_EQ(payload, original) << n;
    }
}

TEST(CPresetChunk, UncompressedLayoutIsByteExact) {
    CPresetChunk chunk = kavrenChunk();
    chunk.setCompress(false);
    chunk.setPresetName("Sweep");
    chunk.addBlock("Parameters", "\x01\x02\x03", 3);
    chunk.addString("isNewFilterPreset", "TRUE");

    Bytes payload = blockBytes("Parameters", {1, 2, 3});
    payload += blockBytes("isNewFilterPreset", text("TRUE"));
    payload += blockBytes("PresetName", text("Sweep"));
    const Bytes expected = chunkBytes("QMX-kavren-Preset", payload);
    EXPECT_EQ(serialized(chunk), expected);
    EXPECT_EQ(serialized(chunk), expected) << "serialising again gives the same bytes";
}

TEST(CPresetChunk, CompressedPayloadIsScrambledZlib) {
    CPresetChunk chunk = kavrenChunk();
    chunk.setPresetName("Sweep");
    chunk.addBlock("Parameters", "\x01\x02\x03", 3);
    Bytes raw = blockBytes("Parameters", {1, 2, 3});
    raw += blockBytes("PresetName", text("Sweep"));

    const Bytes bytes = serialized(chunk);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(Core::ResourceFormat::readU32(&bytes[32]), 1u);
    const std::uint32_t stored = Core::ResourceFormat::readU32(&bytes[36]);
    EXPECT_EQ(bytes.size(), 44u + stored);
    EXPECT_EQ(Core::ResourceFormat::readU32(&bytes[40]), raw.size());

    Bytes payload(bytes.begin() + 44, bytes.end());
    CPresetChunk::unscramble(payload.data(), payload.size());
    EXPECT_EQ(payload[0], 0x78) << "a zlib stream once unscrambled";
    Bytes inflated(raw.size());
    uLongf size = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(inflated.data(), &size, payload.data(), static_cast<uLong>(payload.size())), Z_OK);
    EXPECT_EQ(inflated, raw);
}

TEST(CPresetChunk, RoundTripRestoresBlocksAndName) {
    CPresetChunk writer = kavrenChunk();
    writer.setPresetName("Bright Sweep");
    const Bytes parameters(3136, 0x5A);
    writer.addBlock("Parameters", parameters.data(), static_cast<std::int32_t>(parameters.size()));
    writer.addString("GLOBAL.LIMITER.ON", "FALSE");
    writer.addString("isNewFilterPreset", "TRUE");
    const Bytes bytes = serialized(writer);

    CPresetChunk reader = kavrenChunk();
    Bytes input = bytes;
    ASSERT_EQ(reader.parse(input.data(), static_cast<std::int32_t>(input.size())), CPresetChunk::kParsed);
    EXPECT_EQ(input, bytes) << "the caller's bytes stay as they were";
    EXPECT_EQ(reader.getBlockCount(), 4);
    EXPECT_STREQ(reader.getPresetName(), "Bright Sweep");
    void* data = nullptr;
    ASSERT_EQ(reader.findBlock("Parameters", &data), 3136);
    EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + 3136), parameters);
    EXPECT_EQ(blockText(reader, "GLOBAL.LIMITER.ON"), std::string("FALSE\0", 6));
    EXPECT_EQ(blockText(reader, "PRESETNAME"), "<none>") << "block names are case-sensitive";

    // Parsing the container's own serialised buffer works too.
    void* own = nullptr;
    const std::int32_t ownSize = writer.serialize(&own);
    EXPECT_EQ(writer.parse(own, ownSize), CPresetChunk::kParsed);
    EXPECT_EQ(writer.getBlockCount(), 4);
}

TEST(CPresetChunk, RejectsShortForeignTruncatedAndNewerChunks) {
    CPresetChunk writer = kavrenChunk();
    writer.addString("isNewFilterPreset", "TRUE");
    const Bytes good = serialized(writer);

    CPresetChunk other;
    other.setIdentifier("QMX-other-Preset");
    other.addString("isNewFilterPreset", "TRUE");
    Bytes newer = good;
    patchU32(newer, 28, 0x1001);
    Bytes badHeaderSize = good;
    patchU32(badHeaderSize, 24, 0);

    for (const Bytes& bad : {Bytes(good.begin(), good.begin() + 43), serialized(other),
                             Bytes(good.begin(), good.end() - 1), newer, badHeaderSize}) {
        CPresetChunk reader = kavrenChunk();
        reader.setPresetName("Previous");
        EXPECT_EQ(reader.parse(bad.data(), static_cast<std::int32_t>(bad.size())), CPresetChunk::kRejected);
        EXPECT_EQ(reader.getBlockCount(), 0);
        EXPECT_STREQ(reader.getPresetName(), "Previous");
    }
    CPresetChunk reader = kavrenChunk();
    EXPECT_EQ(reader.parse(nullptr, 100), CPresetChunk::kRejected);
    EXPECT_EQ(reader.parse(good.data(), static_cast<std::int32_t>(good.size())), CPresetChunk::kParsed);
}

TEST(CPresetChunk, PayloadThatDoesNotInflateParsesAsEmpty) {
    CPresetChunk writer = kavrenChunk();
    writer.setPresetName("Lost");
    writer.addString("isNewFilterPreset", "TRUE");
    Bytes bytes = serialized(writer);
    bytes[44] ^= 0xFF;
    bytes[45] ^= 0xFF;
    Bytes huge = serialized(writer);
    patchU32(huge, 40, 0x7FFFFFFF);

    for (const Bytes& input : {bytes, huge}) {
        CPresetChunk reader = kavrenChunk();
        reader.setPresetName("Previous");
        EXPECT_EQ(reader.parse(input.data(), static_cast<std::int32_t>(input.size())), CPresetChunk::kParsed);
        EXPECT_EQ(reader.getBlockCount(), 0);
        EXPECT_STREQ(reader.getPresetName(), "Previous");
    }
}

TEST(CPresetChunk, BlockWalkStopsAtTheFirstBrokenBlock) {
    Bytes payload = blockBytes("First", text("1"));
    Bytes broken = blockBytes("Second", text("2"));
    patchU32(broken, 36, 1000); // claims more data than follows
    payload += broken;
    payload += blockBytes("Third", text("3"));
    Bytes chunk = chunkBytes("ppst", payload);
    CPresetChunk::scramble(chunk.data() + 44, payload.size()); // parse unscrambles whatever the flags say
    CPresetChunk reader;
    ASSERT_EQ(reader.parse(chunk.data(), static_cast<std::int32_t>(chunk.size())), CPresetChunk::kParsed);
    EXPECT_EQ(reader.getBlockCount(), 1);
    EXPECT_EQ(blockText(reader, "First"), std::string("1\0", 2));
    EXPECT_EQ(blockText(reader, "Third"), "<none>");
}

TEST(CPresetChunk, PresetNameRules) {
    CPresetChunk chunk = kavrenChunk();
    EXPECT_EQ(chunk.serialize(nullptr), 0) << "no blocks, no chunk";
    chunk.setPresetName("");
    EXPECT_STREQ(chunk.getPresetName(), "NoName");
    chunk.setPresetName(nullptr);
    EXPECT_STREQ(chunk.getPresetName(), "NoName");
    chunk.setPresetName(std::string(50, 'n').c_str());
    EXPECT_EQ(std::string(chunk.getPresetName()), std::string(40, 'n'));

    // A name of 41 characters inside a chunk is not taken; one of 40 is.
    for (std::size_t length : {41u, 40u}) {
        CPresetChunk writer = kavrenChunk();
        const std::string name(length, 'x');
        writer.addString("PresetName", name);
        const Bytes bytes = serialized(writer);
        CPresetChunk reader = kavrenChunk();
        reader.setPresetName("Previous");
        ASSERT_EQ(reader.parse(bytes.data(), static_cast<std::int32_t>(bytes.size())), CPresetChunk::kParsed);
        EXPECT_EQ(std::string(reader.getPresetName()), length == 40 ? name : "Previous");
    }
}

TEST(CPresetChunk, ClearKeepsIdentifierAndName) {
    CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset-and-more");
    EXPECT_STREQ(chunk.getIdentifier(), "QMX-kavren-Preset-an");
    chunk.setPresetName("Kept");
    chunk.addBlock("A", "x", 1);
    chunk.addBlock("B", nullptr, 4);
    EXPECT_EQ(chunk.getBlockCount(), 1);
    chunk.clear();
    EXPECT_EQ(chunk.getBlockCount(), 0);
    EXPECT_EQ(chunk.serialize(nullptr), 0);
    EXPECT_STREQ(chunk.getPresetName(), "Kept");
}
