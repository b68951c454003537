#pragma once
// One of each Mirda control bound to a few test parameters.

#include "gui/Frame.h"
#include "params/ParameterProperty.h"

struct DemoParameters {
    Tessu::ParameterProperty cutoff, resonance, slope, mode, bypass, mix;
    DemoParameters();
};

// A new frame (reference owned by the caller) with the demo controls bound to `params`.
Mirda::CFrame* buildDemoFrame(DemoParameters& params);
