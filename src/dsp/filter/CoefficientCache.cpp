#include "dsp/filter/CoefficientCache.h"

#include <algorithm>
#include <numeric>

namespace DSP {

CCoefficientCache::CCoefficientCache() : designs(slotCount), valid(slotCount, 0) {}

int CCoefficientCache::slotIndex(double cutoffHz) {
    const double x = cutoffHz / 22050.0;
    const double skewed = 21.0 * x / (1.0 + 20.0 * x);
    return std::clamp(static_cast<int>(2756.0 * skewed), 0, slotCount - 1);
}

void CCoefficientCache::store(int slot, const FilterDesign& design) {
    designs[slot] = design;
    valid[slot] = 1;
}

void CCoefficientCache::empty() {
    std::fill(valid.begin(), valid.end(), 0);
}

int CCoefficientCache::validSlots() const {
    return std::accumulate(valid.begin(), valid.end(), 0);
}

} // namespace DSP
