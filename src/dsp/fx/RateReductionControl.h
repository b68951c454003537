#pragma once

#include "dsp/fx/RateReduction.h"

#include <atomic>
#include <cstdint>

namespace DSP::FX {

// The rate-reduction settings and their link to the low-pass cut-off.
//
// Parameter handler (any thread): setLevel ("RATEREDUCE_LEVEL"), setLpLink ("RATE_LPLINK"),
// setLinkAmount ("RATE_LINK_AMOUNT"), setFlip ("RATE_FLIP").
// Audio thread, once per block after the low-pass target cut-off is known:
// update(reducer, lowPassTarget, settingsLoading). It re-applies the settings when one changed, and
// every block while the link is on.
class CRateReductionControl {
public:
    void setLevel(float level);
    void setLpLink(bool on);
    // flip = amount < 0; the link amount is its magnitude.
    void setLinkAmount(float amount);
    void setFlip(bool on);

    bool isLpLinked() const { return lpLink.load(std::memory_order_relaxed); }
    bool isFlipped() const { return flip.load(std::memory_order_relaxed); }

    // The reducer's level v (1 = no reduction) for a low-pass cut-off f in Hz: with p = skew(f / 22050, -20),
    // v = 1 - (1 - p) amount, or with flip (1 - p) A + 1 - A, A = 0.9 amount. Without link, the level.
    float effectiveLevel(float lowPassCutoff, bool settingsLoading) const;

    void update(CRateReduction& reducer, float lowPassCutoff, bool settingsLoading);

    // depth 0.3 + 0.7 v, rate v.
    static void apply(CRateReduction& reducer, float level);

private:
    void changed() { version.fetch_add(1, std::memory_order_relaxed); }

    std::atomic<float> level{1.0f};
    std::atomic<bool> lpLink{false};
    std::atomic<float> linkAmount{1.0f};
    std::atomic<bool> flip{false};
    std::atomic<std::uint32_t> version{1};
    std::uint32_t appliedVersion = 0;
};

} // namespace DSP::FX
