#include "frame/PluginDescriptor.h"

#include <algorithm>

namespace Tessu {

namespace {

constexpr int32_t fourCharCode(const char (&c)[5]) {
    return int32_t((uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
                   (uint32_t(uint8_t(c[2])) << 8) | uint32_t(uint8_t(c[3])));
}

constexpr PluginDescriptor kKavrenDescriptor = {fourCharCode("Zqtk"),
                                                "QMX Kavren XL",
                                                "Tarnwell",
                                                "Quillmark",
                                                1,
                                                1,
                                                1,
                                                "1.2.8",
                                                kPluginTypeEffect,
                                                0,
                                                (1 << 16) | (2 << 8) | 8,
                                                1};

} // namespace

PluginList& PluginList::operator=(const PluginList& other) {
    if (this == &other) return *this;
    clear();
    for (int32_t i = 0; i < other.count_; ++i) append(other[i]);
    return *this;
}

void PluginList::append(const PluginDescriptor& descriptor) {
    if (!items_ || count_ == capacity_) {
        int32_t newCapacity = items_ ? capacity_ + kGrowth : std::max(capacity_, kGrowth);
        auto** grown = new PluginDescriptor*[newCapacity];
        std::copy(items_, items_ + count_, grown);
        delete[] items_;
        items_ = grown;
        capacity_ = newCapacity;
    }
    items_[count_++] = new PluginDescriptor(descriptor);
}

void PluginList::clear() {
    for (int32_t i = 0; i < count_; ++i) delete items_[i];
    delete[] items_;
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

PluginList buildPluginList() {
    PluginList list;
    list.append(kKavrenDescriptor);
    return list;
}

PluginList* rebuildSharedPluginList() {
    static PluginList shared;
    shared = buildPluginList();
    return &shared;
}

} // namespace Tessu
