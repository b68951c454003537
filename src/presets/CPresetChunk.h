#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tessu {

/**
 * The state chunk: named blocks in one opaque, compressed and scrambled byte block that hosts keep with
 * their projects and preset files carry behind their header.
 *
 * Layout (little-endian): a 44-byte header (identifier char[20], 0, header size 44, version 0x1000,
 * compressed flag, stored payload size, raw payload size), then the stored payload. The raw payload is a
 * sequence of blocks: "KCnk\0", name char[20], 3 zero bytes, block header size 40, version 0x1000, data
 * size, data. With compression on, the stored payload is the zlib stream (level 9) of the raw payload and
 * is scrambled: for k = 0, 2, 4, ... up to 2*floor(n/2) - 4, in ascending order, the four bytes at k..k+3
 * are reversed. parse() undoes that in descending order, whatever the flags say.
 *
 * How the effect writes its chunk (getPresetChunk), in this order:
 *   1. clear(); setPresetName(effect's name) ("NoName" when empty).
 *   2. addBlock("Parameters", block, size) with the parameter manager's getStateBlock(&block).
 *   3. Only while the global-limiter mode flag is 1 (host chunks, not preset files):
 *      addString("GLOBAL.LIMITER.ON", limiterOn ? "TRUE" : "FALSE").
 *   4. addString("isNewFilterPreset", "TRUE").
 *   5. serialize(&data) and hand out data and its size; this container keeps ownership. serialize()
 *      appends the "PresetName" block itself, so it is always last.
 *
 * How the effect applies a chunk (setPresetChunk(data, size)), under the floating-point guard:
 *   1. size <= 9: ignore.
 *   2. clear(); parse(data, size); kRejected changes nothing and ends here.
 *   3. Manager suspendNotifications() (and mark the effect as updating).
 *   4. Preset name := "Init"; resetToDefault() on every table parameter 0..48.
 *   5. findBlock("Parameters") with size > 0: manager setStateBlock(data, size, -1).
 *   6. Preset name := the text of a block "PRESETNAME" if present, else getPresetName(); set it through
 *      the effect so the "PRESETNAME" object's listeners hear of it.
 *   7. findBlock("GLOBAL.LIMITER.ON"): "GLOBAL.LIMITER" := 1.0 when its first four characters are "TRUE",
 *      else 0.0.
 *   8. If parameter 39 reads false, parameter 40 := 0; if parameter 45 reads false, parameter 46 := 0.
 *   9. Manager resumeNotifications() (and clear the updating mark).
 *  10. Mark the effect as loading, reset(), clear the mark, refresh the DSP's derived state.
 * "isNewFilterPreset" is written but never read.
 *
 * Not thread-safe; one container per effect, used from the thread that moves the chunk.
 */
class CPresetChunk {
public:
    static constexpr std::int32_t kHeaderSize = 44;
    static constexpr std::int32_t kBlockHeaderSize = 40;
    static constexpr std::int32_t kVersion = 0x1000;
    static constexpr std::int32_t kIdentifierLength = 20;
    static constexpr std::int32_t kBlockNameLength = 20;
    static constexpr std::int32_t kPresetNameLength = 40;
    /** A chunk whose payload claims more than this is not inflated. */
    static constexpr std::int32_t kMaxPayloadSize = 16 * 1024 * 1024;

    static constexpr std::int32_t kParsed = 0;
    static constexpr std::int32_t kRejected = 2;

    CPresetChunk();

    void setIdentifier(const char* identifier);
    const char* getIdentifier() const { return identifier_; }
    void setCompress(bool compress) { compress_ = compress; }

    /** Drops the payload, the serialised chunk and the block list; keeps identifier and name. */
    void clear();

    /** Null does nothing; empty text stores "NoName"; longer text is cut to 40 characters. */
    void setPresetName(const char* name);
    const char* getPresetName() const { return presetName_; }

    /** Appends a block (name cut to 20 characters); null data or a negative size adds nothing. */
    void addBlock(const char* name, const void* data, std::int32_t size);
    /** A block whose data is the value and its NUL. */
    void addString(std::string name, std::string value);

    /**
     * The chunk of the blocks added so far plus a "PresetName" block when a name is set; 0 and null with no
     * blocks. The buffer stays valid until the next serialize() or clear(); calling it again gives the same
     * bytes.
     */
    std::int32_t serialize(void** out);

    /**
     * Reads a chunk (the caller's bytes are not modified). kRejected for a chunk that is too short, carries
     * another identifier, is truncated or newer than this version; then the container is empty. A payload
     * that does not inflate parses as no blocks (kParsed). A "PresetName" block of at most 40 characters
     * becomes the preset name.
     */
    std::int32_t parse(const void* data, std::int32_t size);

    /** The data size of the first block called `name` (exact, case-sensitive), or 0 and null. */
    std::int32_t findBlock(const char* name, void** data);
    std::int32_t getBlockCount() const { return static_cast<std::int32_t>(blocks_.size()); }

    /** The payload transform; for a payload shorter than 4 bytes both do nothing. */
    static void scramble(std::uint8_t* payload, std::size_t size);
    static void unscramble(std::uint8_t* payload, std::size_t size);

private:
    struct Block {
        char name[kBlockNameLength + 1];
        std::size_t offset; ///< of the data in rawPayload_; the vector may grow, so no pointers
        std::int32_t size;
    };

    void appendBlock(std::vector<std::uint8_t>& payload, const char* name, const void* data,
                     std::int32_t size);
    void readBlocks();

    char identifier_[kIdentifierLength + 1];
    char presetName_[kPresetNameLength + 1];
    std::vector<std::uint8_t> serialized_;
    std::vector<Block> blocks_;
    std::vector<std::uint8_t> rawPayload_;
    bool compress_ = true;
};

} // namespace Tessu
