#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Tessu {

/** The effect's VST unique ID 'Zqtk', first character in the most significant byte. */
inline constexpr std::int32_t kKavrenUniqueId = ('Z' << 24) | ('q' << 16) | ('t' << 8) | 'k';

/** Files are read whole; anything larger than this is refused. */
inline constexpr std::size_t kMaxPresetFileSize = 16 * 1024 * 1024;

/**
 * Reads and writes one kind of file in one call. load() leaves `data` and `size` untouched on any failure
 * (initialise them to null and 0); a buffer it hands out goes back through freeData(). save() writes
 * atomically (temporary file + rename); on false the old file is intact and Core::lastFileError() says
 * why. Used from the
 * GUI thread.
 */
class CFileFormat {
public:
    virtual ~CFileFormat() = default;
    /** The whole file, bytes unchanged. */
    virtual void load(const char* path, void** data, std::int32_t* size);
    virtual bool save(const char* path, const void* data, std::int32_t size);
    virtual void freeData(void* data);
};

/**
 * VST 2 program file with an opaque chunk (big-endian header): "CcnK", byte size = chunk size + 52, "FPCh",
 * version 1, unique ID, effect version 1, 0 parameters, program name char[28] (the file name without
 * folder and extension, at most 27 characters), chunk size, chunk. Files of another unique ID or form
 * are not loaded.
 */
class CPresetFormatFXP : public CFileFormat {
public:
    static constexpr std::size_t kHeaderSize = 60;
    static constexpr std::size_t kProgramNameSize = 28;

    explicit CPresetFormatFXP(std::int32_t uniqueId = kKavrenUniqueId) : uniqueId_(uniqueId) {}

    void load(const char* path, void** data, std::int32_t* size) override;
    bool save(const char* path, const void* data, std::int32_t size) override;

    /** The file's bytes for a chunk (empty for no chunk); the program name comes from `path`. */
    std::vector<std::uint8_t> encode(const char* path, const void* chunk, std::int32_t size) const;
    /** The chunk inside a file's bytes, or an empty span when the bytes are not a program of this ID. */
    std::span<const std::uint8_t> decode(std::span<const std::uint8_t> file) const;

private:
    std::int32_t uniqueId_;
};

/**
 * VST 2 bank file with an opaque chunk: "CcnK", byte size = chunk size + 152, "FBCh", version 1, unique
 * ID, effect version 1, 0 programs, 128 reserved zero bytes, chunk size at 156, chunk at 160.
 */
class CPresetFormatFXB : public CFileFormat {
public:
    static constexpr std::size_t kHeaderSize = 160;

    explicit CPresetFormatFXB(std::int32_t uniqueId = kKavrenUniqueId) : uniqueId_(uniqueId) {}

    void load(const char* path, void** data, std::int32_t* size) override;
    bool save(const char* path, const void* data, std::int32_t size) override;

    std::vector<std::uint8_t> encode(const void* chunk, std::int32_t size) const;
    std::span<const std::uint8_t> decode(std::span<const std::uint8_t> file) const;

private:
    std::int32_t uniqueId_;
};

/** The process-wide instances. The plug-in sets the FXP instance's unique ID before any preset operation. */
CFileFormat& rawFileFormat();
CPresetFormatFXP& fxpFormat();
CPresetFormatFXB& fxbFormat();

} // namespace Tessu
