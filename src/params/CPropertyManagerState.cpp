#include <bit>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "params/CPropertyManager.h"

namespace Tessu {

static_assert(std::endian::native == std::endian::little, "state blocks are stored in the native order");

namespace {

// Refuse to allocate for blocks claiming more than this (about a quarter of a million records).
constexpr int64_t kMaximumUncompressedSize = 16 * 1024 * 1024;
// A record must at least hold its key and value.
constexpr int32_t kMinimumRecordSize = CPropertyManager::kRecordKeySize + 4;

struct BlockHeader {
    int32_t headerSize;
    int32_t version;
    int32_t compressed;
    int32_t dataSize;
    int32_t uncompressedSize;
    int32_t recordSize;
    int32_t count;
};

void putInt32(uint8_t* at, int32_t value) {
    std::memcpy(at, &value, 4);
}
void putFloat(uint8_t* at, float value) {
    std::memcpy(at, &value, 4);
}
int32_t readInt32(const uint8_t* at) {
    int32_t value;
    std::memcpy(&value, at, 4);
    return value;
}
float readFloat(const uint8_t* at) {
    float value;
    std::memcpy(&value, at, 4);
    return value;
}

BlockHeader readHeader(const uint8_t* at) {
    const uint8_t* fields = at + CPropertyManager::kNameCapacity;
    return {readInt32(fields),      readInt32(fields + 4),  readInt32(fields + 8), readInt32(fields + 12),
            readInt32(fields + 16), readInt32(fields + 20), readInt32(fields + 24)};
}

// Offset of the first place where name stands NUL-terminated in data, or -1.
int64_t findName(const uint8_t* data, int64_t size, const char* name) {
    int64_t length = static_cast<int64_t>(std::strlen(name)) + 1;
    for (int64_t offset = 0; offset + length <= size; ++offset) {
        if (std::memcmp(data + offset, name, static_cast<size_t>(length)) == 0) return offset;
    }
    return -1;
}

// key with its first number replaced by keyNumber: the first number is the first non-zero base-10
// reading found scanning from the start ("OSC1 LEVEL" -> "OSC2 LEVEL"). Readings never start on a blank,
// so the blank before a number stays in the key ("LFO 1" -> "LFO 2"). A key without one stays as is.
void renumberKey(const char* key, int32_t keyNumber, char* out, size_t capacity) {
    for (const char* position = key; *position; ++position) {
        if (std::isspace(static_cast<unsigned char>(*position))) continue;
        char* end = nullptr;
        if (std::strtol(position, &end, 10) != 0) {
            std::snprintf(out, capacity, "%.*s%d%s", static_cast<int>(position - key), key, keyNumber, end);
            return;
        }
    }
    std::snprintf(out, capacity, "%s", key);
}

// The records of the block as stored (copied or inflated); false when the data cannot be obtained.
bool obtainRecords(const BlockHeader& header, const uint8_t* source, std::vector<uint8_t>& records,
                   int64_t& obtained) {
    records.resize(static_cast<size_t>(header.uncompressedSize) + 12);
    if (header.compressed == 0) {
        if (static_cast<size_t>(header.dataSize) > records.size()) return false;
        std::memcpy(records.data(), source, static_cast<size_t>(header.dataSize));
        obtained = header.dataSize;
        return true;
    }
    uLongf length = static_cast<uLongf>(records.size());
    if (uncompress(records.data(), &length, source, static_cast<uLong>(header.dataSize)) != Z_OK)
        return false;
    obtained = static_cast<int64_t>(length);
    return true;
}

} // namespace

int32_t CPropertyManager::getStateBlock(void** data) {
    *data = nullptr;
    stateBuffer_.clear();
    const int32_t count = getParameterCount();
    std::vector<uint8_t> records(static_cast<size_t>(count) * kRecordSize, 0);
    for (int32_t index = 0; index < count; ++index) {
        const ParameterProperty& parameter = *parameters_[static_cast<size_t>(index)];
        uint8_t* record = records.data() + static_cast<size_t>(index) * kRecordSize;
        // Keys longer than 51 characters are cut; the record's key stays NUL-terminated.
        std::strncpy(reinterpret_cast<char*>(record), parameter.getKey(), kRecordKeySize - 1);
        putFloat(record + kRecordKeySize, parameter.getValue());
        putFloat(record + kRecordKeySize + 4, parameter.getMinimum());
        putFloat(record + kRecordKeySize + 8, parameter.getMaximum());
    }

    std::vector<uint8_t> payload;
    if (compress_) {
        uLongf length = compressBound(static_cast<uLong>(records.size()));
        payload.resize(length);
        if (compress2(payload.data(), &length, records.data(), static_cast<uLong>(records.size()), 9) != Z_OK)
            return 0;
        payload.resize(length);
    } else {
        payload = std::move(records);
    }

    stateBuffer_.assign(kHeaderSize, 0);
    std::memcpy(stateBuffer_.data(), name_, kNameCapacity);
    uint8_t* fields = stateBuffer_.data() + kNameCapacity;
    putInt32(fields, kHeaderSize);
    putInt32(fields + 4, kStateVersion);
    putInt32(fields + 8, compress_ ? 1 : 0);
    putInt32(fields + 12, static_cast<int32_t>(payload.size()));
    putInt32(fields + 16, count * kRecordSize);
    putInt32(fields + 20, kRecordSize);
    putInt32(fields + 24, count);
    stateBuffer_.insert(stateBuffer_.end(), payload.begin(), payload.end());
    *data = stateBuffer_.data();
    return static_cast<int32_t>(stateBuffer_.size());
}

bool CPropertyManager::setStateBlock(const void* data, int32_t size, int32_t keyNumber, KeyMapper* mapper,
                                     const std::vector<int32_t>& excludedIds) {
    if (!data || size <= 0) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const int64_t start = findName(bytes, size, name_);
    if (start < 0 || start + kHeaderSize > size) return false;

    const BlockHeader header = readHeader(bytes + start);
    if (header.headerSize < kHeaderSize || header.dataSize < 0 || header.uncompressedSize < 0 ||
        header.uncompressedSize > kMaximumUncompressedSize ||
        (header.compressed != 0 && header.compressed != 1))
        return false;
    const int64_t dataStart = start + header.headerSize;
    if (dataStart + header.dataSize > size) return false;

    std::vector<uint8_t> records;
    int64_t obtained = 0;
    if (!obtainRecords(header, bytes + dataStart, records, obtained)) return false;

    if (header.version < minimumVersion_ || header.version > maximumVersion_) return false;
    const int64_t recordBytes = static_cast<int64_t>(header.recordSize) * header.count;
    if (header.count <= 0 || obtained + recordBytes != 2 * static_cast<int64_t>(header.uncompressedSize))
        return false;
    if (header.recordSize < kMinimumRecordSize || recordBytes > obtained) return false;

    for (int32_t index = 0; index < header.count; ++index) {
        const uint8_t* record = records.data() + static_cast<size_t>(index) * header.recordSize;
        char storedKey[kRecordKeySize];
        std::memcpy(storedKey, record, kRecordKeySize);
        storedKey[kRecordKeySize - 1] = '\0';
        ParameterProperty* parameter = findForRecord(storedKey, keyNumber, mapper);
        if (!parameter) continue;
        bool excluded = false;
        for (int32_t id : excludedIds) excluded = excluded || id == parameter->getId();
        if (!excluded) parameter->setValue(readFloat(record + kRecordKeySize));
    }
    return true;
}

ParameterProperty* CPropertyManager::findForRecord(const char* storedKey, int32_t keyNumber,
                                                   KeyMapper* mapper) const {
    if (mapper) return findParameterByKey(mapper->mapKey(storedKey));
    if (keyNumber < 0) return findParameterByKey(storedKey);
    char renumbered[kRecordKeySize + 16];
    renumberKey(storedKey, keyNumber, renumbered, sizeof renumbered);
    return findParameterByKey(renumbered);
}

} // namespace Tessu
