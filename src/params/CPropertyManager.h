#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "params/ParameterDescriptor.h"
#include "params/ParameterProperty.h"

namespace Tessu {

// Translates a key found in a stored state block into the key of a parameter of this manager, for
// blocks written by an older layout. Answering null skips the record.
class KeyMapper {
public:
    virtual ~KeyMapper() = default;
    virtual const char* mapKey(const char* storedKey) = 0;
};

// Owns the parameters of one effect, in creation order, with a second list of the host-visible ones,
// and reads and writes all their values as one state block.
//
// State block, little-endian: 48-byte header (manager name char[20] NUL-padded, header size 48,
// version 0x1000, compressed flag, size of the data after the header, uncompressed size = 64 * count,
// record size 64, count), then count records (key char[52], value, minimum, maximum as floats),
// zlib-compressed as a whole when the flag is set.
class CPropertyManager {
public:
    static constexpr int32_t kNameCapacity = 20;
    static constexpr int32_t kStateVersion = 0x1000;
    static constexpr int32_t kHeaderSize = 48;
    static constexpr int32_t kRecordSize = 64;
    static constexpr int32_t kRecordKeySize = 52;

    CPropertyManager();
    ~CPropertyManager();
    CPropertyManager(const CPropertyManager&) = delete;
    CPropertyManager& operator=(const CPropertyManager&) = delete;

    // A key already present returns that parameter unchanged; otherwise the new parameter is built from
    // the row (its listeners are none yet) and, when automatable, gets the next host index.
    ParameterProperty* addParameter(const ParameterDescriptor& descriptor);

    // Null outside the lists, or when nothing matches.
    ParameterProperty* getParameterAt(int32_t index) const;
    ParameterProperty* findParameterById(int32_t id) const;
    ParameterProperty* findParameterByKey(const char* key) const;
    ParameterProperty* getHostParameter(int32_t index) const;
    int32_t getParameterCount() const { return static_cast<int32_t>(parameters_.size()); }
    int32_t getHostParameterCount() const { return static_cast<int32_t>(hostParameters_.size()); }

    // The name identifies the state block; at most 19 characters are kept.
    void setName(const char* name);
    const char* getName() const { return name_; }
    void setCompress(bool compress) { compress_ = compress; }
    void setMinimumVersion(int32_t version) { minimumVersion_ = version; }

    // Bracket bulk changes: while suspended, value changes notify nobody; resuming tells every listener
    // of every parameter once, in parameter order, whether or not the value moved.
    void suspendNotifications();
    void resumeNotifications();

    // Serialises all values; *data points into a buffer the manager keeps until the next call. Answers
    // the size, 0 (and null data) when compression fails.
    int32_t getStateBlock(void** data);

    // Applies a block found anywhere inside data (located by the manager's name). Records are matched by
    // key: through mapper when given, else as stored when keyNumber < 0, else with the first number in
    // the stored key replaced by keyNumber. Unmatched records and parameters whose id is excluded are
    // skipped; parameters the block does not mention keep their values. A block with a wrong version,
    // inconsistent sizes or undecodable data changes nothing and answers false.
    bool setStateBlock(const void* data, int32_t size, int32_t keyNumber = -1, KeyMapper* mapper = nullptr,
                       const std::vector<int32_t>& excludedIds = {});

private:
    ParameterProperty* findForRecord(const char* storedKey, int32_t keyNumber, KeyMapper* mapper) const;

    char name_[kNameCapacity] = "ppCh";
    std::vector<std::unique_ptr<ParameterProperty>> parameters_;
    std::vector<ParameterProperty*> hostParameters_;
    std::vector<uint8_t> stateBuffer_;
    bool compress_ = true;
    int32_t minimumVersion_ = 0;
    int32_t maximumVersion_ = 0xFFFFFF;
};

} // namespace Tessu
