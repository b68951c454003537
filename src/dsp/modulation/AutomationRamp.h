#pragma once

#include <algorithm>

namespace DSP {

// A setting that arrives in steps, as host automation does (one value per host block): each new value is
// approached in a straight line over the time since the value before it, at least one control step and
// at most maxFrames. Regular automation thereby becomes the continuous path it describes, one block
// late; a lone change glides over maxFrames. Audio thread only.
class CAutomationRamp {
public:
    void setLimits(int minFrames, int maxFrames) {
        shortest = std::max(minFrames, 1);
        longest = std::max(maxFrames, shortest);
    }
    // Straight to v, as after a reset.
    void jump(double v) {
        current = target = v;
        framesLeft = 0;
        sinceChange = longest;
    }
    void set(double v) {
        if (v == target) return;
        framesLeft = std::clamp(sinceChange, shortest, longest);
        step = (v - current) / framesLeft;
        target = v;
        sinceChange = 0;
    }
    // The value `frames` later.
    double advance(int frames) {
        sinceChange = std::min(sinceChange + frames, longest);
        if (framesLeft > frames) {
            framesLeft -= frames;
            current += step * frames;
        } else {
            framesLeft = 0;
            current = target;
        }
        return current;
    }
    double value() const { return current; }

private:
    double current = 0.0, target = 0.0, step = 0.0;
    int framesLeft = 0, sinceChange = 0;
    int shortest = 1, longest = 1;
};

} // namespace DSP
