#pragma once

#include "dsp/filter/Cascade.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace DSP {

// Designs of one filter object (both channels share them), one slot per quantised cut-off.
// The slot index is trunc(2756·s(fc / 22050)) with s(x) = 21x / (1 + 20x): dense at low frequencies,
// at most 2756 distinct designs. A slot keeps the first design stored in it until the cache is emptied,
// which its owner does whenever the sample rate, the order or the response type changes.
class CCoefficientCache {
public:
    static constexpr int slotCount = 2800;

    CCoefficientCache();

    // fc in whole Hz within [10, 22000].
    static int slotIndex(double cutoffHz);

    const FilterDesign* find(int slot) const { return valid[slot] ? &designs[slot] : nullptr; }
    // Asks the processor to fetch a slot that is likely needed soon: a moving cut-off walks through the
    // cache, which is too large to stay near the processor.
    void prefetch(int slot) const {
        if (slot < 0 || slot >= slotCount) return;
        const char* bytes = reinterpret_cast<const char*>(&designs[std::size_t(slot)]);
        for (std::size_t offset = 0; offset < sizeof(FilterDesign); offset += 64)
            __builtin_prefetch(bytes + offset);
        __builtin_prefetch(bytes + sizeof(FilterDesign) - 1);
        __builtin_prefetch(&valid[std::size_t(slot)]);
    }
    void store(int slot, const FilterDesign& design);
    void empty();
    int validSlots() const;

private:
    std::vector<FilterDesign> designs;
    std::vector<std::uint8_t> valid;
};

} // namespace DSP
