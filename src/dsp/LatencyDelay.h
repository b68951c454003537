#pragma once

#include "dsp/lib/DspBaseObject.h"

#include <vector>

// Delays a stereo signal in place by a fixed number of samples L, keeping the last L input samples as
// its history; any block length works, shorter or longer than L.
class CLatencyDelay {
public:
    // Allocates (not for the audio thread unless the host sends a longer block than it announced).
    void setLength(int samples, int maxBlock);
    int length() const { return length_; }

    void process(DSP::StereoView bus, int n);
    void clear();

private:
    void processChannel(float* data, std::vector<float>& history, int n);

    int length_ = 0;
    std::vector<float> historyLeft_, historyRight_;
    std::vector<float> scratch_;
};
