#include "frame/PendingChanges.h"

#include "params/ParameterProperty.h"

#include <algorithm>
#include <bit>

namespace Tessu {

namespace {

constexpr uint64_t kDelayMask = 0x7FFFFFFF;

} // namespace

uint64_t PendingChangeList::pack(float normalized, int32_t delay) {
    return kQueued | (uint64_t(std::clamp(delay, 0, int32_t(kDelayMask))) << 32) |
           std::bit_cast<uint32_t>(normalized);
}

float PendingChangeList::normalizedOf(uint64_t word) {
    return std::bit_cast<float>(uint32_t(word));
}

int32_t PendingChangeList::delayOf(uint64_t word) {
    return int32_t((word >> 32) & kDelayMask);
}

bool PendingChangeList::queue(ParameterProperty* parameter, float normalizedValue, int32_t delay) {
    const int32_t slot = parameter ? parameter->getHostIndex() : -1;
    if (slot < 0 || slot >= kCapacity) return false;
    parameters_[size_t(slot)].store(parameter, std::memory_order_relaxed);
    words_[size_t(slot)].store(pack(normalizedValue, delay), std::memory_order_release);
    return true;
}

// A change queued meanwhile wins: its own delay stands.
bool PendingChangeList::replaceDelay(int32_t slot, uint64_t word, int32_t delay) {
    return words_[size_t(slot)].compare_exchange_strong(word, pack(normalizedOf(word), delay),
                                                        std::memory_order_acq_rel);
}

void PendingChangeList::setAllDelays(int32_t delay) {
    for (int32_t slot = 0; slot < kCapacity; ++slot) {
        const uint64_t word = words_[size_t(slot)].load(std::memory_order_acquire);
        if (word & kQueued) replaceDelay(slot, word, delay);
    }
}

void PendingChangeList::clear() {
    for (auto& word : words_) word.store(0, std::memory_order_release);
}

std::vector<PendingParameterChange> PendingChangeList::snapshot() const {
    std::vector<PendingParameterChange> changes;
    for (int32_t slot = 0; slot < kCapacity; ++slot) {
        const uint64_t word = words_[size_t(slot)].load(std::memory_order_acquire);
        if (!(word & kQueued)) continue;
        ParameterProperty* parameter = parameters_[size_t(slot)].load(std::memory_order_relaxed);
        const float normalized = normalizedOf(word);
        changes.push_back({delayOf(word), parameter->toPlain(normalized), normalized, parameter});
    }
    return changes;
}

} // namespace Tessu
