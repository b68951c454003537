#include "editor/display/LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace Mirda {

namespace {

constexpr double kRise = 1.0;
constexpr double kFall = 0.01;
constexpr double kHoldMs = 1000.0;
constexpr double kPeakFloorDb = -100.0;

} // namespace

void CLevelMeterChannel::update(double level, double nowMs) {
    value_ += (level - value_) * (level > value_ ? kRise : kFall) + 1e-19;
    levelDb_ = std::log(value_) * 8.685889638;
    if (levelDb_ >= peakDb_) {
        peakDb_ = levelDb_;
        peakTimeMs_ = nowMs;
        falling_ = false;
    } else if (!falling_) {
        if (nowMs - peakTimeMs_ > kHoldMs) {
            peakTimeMs_ = nowMs;
            falling_ = true;
        }
    } else {
        peakDb_ -= 2.0 * std::clamp((nowMs - peakTimeMs_) / 60.0, 0.0, 1000.0);
        peakTimeMs_ = nowMs;
        peakDb_ = std::max(peakDb_, kPeakFloorDb);
    }
}

double CLevelMeterChannel::litFraction(double dB) {
    return std::clamp((dB - kBottomDb) / (kTopDb - kBottomDb), 0.0, 1.0);
}

} // namespace Mirda
