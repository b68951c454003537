// Host parameter changes waiting for a quantised frame offset: one slot per host parameter holding its
// latest change. Any thread queues, the audio thread applies; each slot is one atomic word, so neither
// side waits and a change queued while the audio thread applies another is kept for the next block.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace Tessu {

class ParameterProperty;

struct PendingParameterChange {
    int32_t delay;
    float value;
    float normalizedValue;
    ParameterProperty* parameter;
};

class PendingChangeList {
public:
    static constexpr int32_t kCapacity = 256;

    // False when the parameter has no host index that fits.
    bool queue(ParameterProperty* parameter, float normalizedValue, int32_t delay);
    // Audio thread.
    void setAllDelays(int32_t delay);
    // Shortens frames to the earliest change due inside it; applies (and empties) the slots due now.
    template <typename Apply> void applyDue(int32_t& frames, Apply&& apply);
    void clear();
    // A copy for inspection, in host-index order.
    std::vector<PendingParameterChange> snapshot() const;

private:
    static constexpr uint64_t kQueued = uint64_t(1) << 63;
    static uint64_t pack(float normalized, int32_t delay);
    static float normalizedOf(uint64_t word);
    static int32_t delayOf(uint64_t word);
    bool replaceDelay(int32_t slot, uint64_t word, int32_t delay);

    std::array<std::atomic<uint64_t>, kCapacity> words_{};
    std::array<std::atomic<ParameterProperty*>, kCapacity> parameters_{};
};

template <typename Apply> void PendingChangeList::applyDue(int32_t& frames, Apply&& apply) {
    for (int32_t slot = 0; slot < kCapacity; ++slot) {
        const uint64_t word = words_[size_t(slot)].load(std::memory_order_acquire);
        if (!(word & kQueued)) continue;
        if (const int32_t delay = delayOf(word); delay >= 1 && delay < frames) frames = delay;
    }
    for (int32_t slot = 0; slot < kCapacity; ++slot) {
        uint64_t word = words_[size_t(slot)].load(std::memory_order_acquire);
        if (!(word & kQueued)) continue;
        if (delayOf(word) >= 1) {
            replaceDelay(slot, word, delayOf(word) - frames);
        } else if (words_[size_t(slot)].compare_exchange_strong(word, 0, std::memory_order_acq_rel)) {
            apply(parameters_[size_t(slot)].load(std::memory_order_acquire), normalizedOf(word));
        }
    }
}

} // namespace Tessu
