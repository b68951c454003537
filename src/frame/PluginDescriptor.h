// The static description of each plug-in this library offers, and the growable list that carries them
// across the library boundary.
#pragma once

#include <cstdint>

namespace Tessu {

enum PluginType : int32_t {
    kPluginTypeEffect = 1000,
    kPluginTypeMidiEffect = 1001,
    kPluginTypeInstrument = 1002
};

struct PluginDescriptor {
    int32_t uniqueID;
    const char* name;
    const char* product;
    const char* vendor;
    int32_t numInputPairs;
    int32_t numOutputPairs;
    int32_t numPrograms;
    const char* versionString;
    int32_t type;
    uint8_t hasSideChain;
    int32_t version;
    int32_t numMidiChannels;

    bool takesMidi() const { return type == kPluginTypeMidiEffect || type == kPluginTypeInstrument; }
};

class PluginList {
public:
    PluginList() = default;
    PluginList(const PluginList& other) { *this = other; }
    PluginList& operator=(const PluginList& other);
    ~PluginList() { clear(); }

    void append(const PluginDescriptor& descriptor);
    void clear();
    // No bounds check: callers iterate below count().
    const PluginDescriptor& operator[](int32_t i) const { return *items_[i]; }
    int32_t count() const { return count_; }
    int32_t capacity() const { return capacity_; }

private:
    static constexpr int32_t kGrowth = 5;

    PluginDescriptor** items_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = kGrowth;
};

// The library's own list: the one effect it offers.
PluginList buildPluginList();
// The process-wide list behind getTessuPluginListPTR, rebuilt on every call.
PluginList* rebuildSharedPluginList();

} // namespace Tessu
