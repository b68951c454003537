#include "dsp/filter/StereoFilter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using DSP::CCoefficientCache;

bool sameDesign(const DSP::FilterDesign& a, const DSP::FilterDesign& b) {
    return a.sections == b.sections && std::memcmp(a.section, b.section, sizeof a.section) == 0;
}

TEST(CoefficientCache, SlotIndexIsMonotonicDenseLowAndBounded) {
    EXPECT_EQ(CCoefficientCache::slotIndex(22000.0), 2755);
    int previous = CCoefficientCache::slotIndex(10.0);
    EXPECT_GE(previous, 0);
    int distinct = 1;
    for (int hz = 11; hz <= 22000; ++hz) {
        const int slot = CCoefficientCache::slotIndex(hz);
        ASSERT_GE(slot, previous);
        if (hz <= 60) {
            EXPECT_GT(slot, previous) << hz; // every Hz its own design at the bottom
        }
        distinct += slot != previous;
        previous = slot;
    }
    EXPECT_LE(distinct, 2756);
    EXPECT_GT(distinct, 2000);
}

TEST(CoefficientCache, NeighbouringCutoffsReuseTheSlotsFirstDesign) {
    DSP::CStereoFilter filter;
    int f2 = 10001;
    while (CCoefficientCache::slotIndex(f2 + 1) == CCoefficientCache::slotIndex(10000)) ++f2;
    ASSERT_EQ(CCoefficientCache::slotIndex(f2), CCoefficientCache::slotIndex(10000));
    ASSERT_GT(f2, 10000);

    filter.setCutoff(10000.4); // floored to 10000
    EXPECT_EQ(filter.cutoff(), 10000.0);
    const DSP::FilterDesign first = filter.design();
    const int slotsAfterFirst = filter.cache().validSlots();
    filter.setCutoff(500.0);
    filter.setCutoff(f2);
    EXPECT_TRUE(sameDesign(filter.design(), first));
    EXPECT_EQ(filter.cache().validSlots(), slotsAfterFirst + 1); // only 500 Hz was new

    // A fresh cache designs f2 itself, which differs from the 10000 Hz design.
    filter.setOrderFromSlope(96);
    EXPECT_EQ(filter.cache().validSlots(), 1);
    filter.setCutoff(f2);
    EXPECT_FALSE(sameDesign(filter.design(), first));
}

TEST(CoefficientCache, EmptiedBySampleRateOrderAndTypeButNotCutoff) {
    DSP::CStereoFilter filter;
    for (double hz : {100.0, 200.0, 300.0}) filter.setCutoff(hz);
    EXPECT_EQ(filter.cache().validSlots(), 4); // with the construction's 1000 Hz
    filter.setSampleRate(48000.0);
    EXPECT_EQ(filter.cache().validSlots(), 1);
    filter.setCutoff(700.0);
    filter.setOrderFromSlope(24);
    EXPECT_EQ(filter.cache().validSlots(), 1);
    filter.setCutoff(900.0);
    filter.setHighPassMarker(true); // still a low-pass design in mode 0
    EXPECT_EQ(filter.cache().validSlots(), 2);
    filter.setDesignAsHighPass(true);
    EXPECT_EQ(filter.cache().validSlots(), 1);
    filter.setOrderFromSlope(0); // rejected
    filter.setOrderFromSlope(120);
    EXPECT_EQ(filter.order(), 2);
}

TEST(CoefficientCache, CutoffIsClampedAndOrdersGiveSectionCounts) {
    DSP::CStereoFilter filter;
    filter.setCutoff(22050.0);
    EXPECT_EQ(filter.cutoff(), 22000.0);
    filter.setCutoff(0.001);
    EXPECT_EQ(filter.cutoff(), 10.0);
    const int sections[] = {1, 1, 2, 4};
    for (int i = 0; i < 4; ++i) {
        filter.setOrderFromSlope(12 << i);
        EXPECT_EQ(filter.design().sections, sections[i]);
        EXPECT_EQ(filter.allPass().sections, sections[i]);
    }
}

} // namespace
