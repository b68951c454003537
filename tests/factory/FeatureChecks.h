// Measurements that show whether a preset uses the feature its category is about.
#pragma once

#include "factory/FactoryPresets.h"

namespace factory {

// Adds a test failure naming the measurement when the preset does not show its category's feature.
void expectCategoryFeature(const FactoryPreset& preset);

// The LFO's cycle in seconds at the reference tempo (or the preset's own BPM), read from the rate as the
// plug-in displays it: "1/4" is a quarter note, "T" two thirds of it, "D" one and a half.
double lfoPeriodSeconds(const FactoryPreset& preset);

} // namespace factory
