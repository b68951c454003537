#include "gui/Animation.h"

#include "gui/TimerService.h"

#include <algorithm>

namespace Mirda {

uint64_t getTicks() {
    return CTimerService::instance().now();
}

double stepTime(uint64_t& lastTicks) {
    const uint64_t now = getTicks();
    const double elapsed = static_cast<double>(now - lastTicks);
    lastTicks = now;
    return std::clamp(elapsed / 60.0, 0.0, 1000.0);
}

CColor blendColor(const CColor& a, const CColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    if (t == 0) return a;
    if (t == 1) return b;
    const auto mix = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (y - x) * t); };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.alpha, b.alpha)};
}

CRect approachRect(const CRect& current, const CRect& target, double t) {
    const auto step = [t](double c, double g) {
        const double d = g - c;
        return d * d > 0.5 ? c + d * t : g;
    };
    return {step(current.left, target.left), step(current.top, target.top), step(current.right, target.right),
            step(current.bottom, target.bottom)};
}

} // namespace Mirda
