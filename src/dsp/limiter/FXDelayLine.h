#pragma once

#include "dsp/lib/FXModule.h"

#include <vector>

// Two float delay buffers (left, right) with separately settable lengths. resize() gives each buffer
// twice its length in samples and stretches the old content over it by linear interpolation, so a
// length change keeps the stored signal's shape. Setup only: resize allocates.
class CFXDelayLine : public FXModule {
public:
    CFXDelayLine() = default;

    // Reallocates both buffers from their stored lengths.
    virtual void resize();
    virtual void clear();

    void setLength(int channel, int samples);
    int length(int channel) const { return lengths[channel & 1]; }
    const std::vector<float>& buffer(int channel) const { return buffers[channel & 1]; }
    std::vector<float>& buffer(int channel) { return buffers[channel & 1]; }

private:
    int lengths[2] = {0, 0};
    std::vector<float> buffers[2];
};
