#pragma once

#include <cstdint>

#include "params/ParameterProperty.h"

// The effect's own value texts, installed on single parameters in place of the rule by unit kind.
// Each writes at most kValueFieldCapacity bytes at text; withUnit is the kFormatWithUnit bit, and a
// formatter that shows no unit ignores it.

void formatFilterMode(float value, char* text, int32_t withUnit);
void formatMeasurePoint(float value, char* text, int32_t withUnit);
void formatLfoShape(float value, char* text, int32_t withUnit);
void formatLfoTempo(float value, char* text, int32_t withUnit);
void formatPrePost(float value, char* text, int32_t withUnit);
void formatLimiterRelease(float value, char* text, int32_t withUnit);
void formatGlobalLimiter(float value, char* text, int32_t withUnit);

// Linked forms: self supplies the range (link amounts) or the knob position (rate/sync).
void formatLinkAmount(Tessu::ParameterProperty* self, float value, char* text, int32_t withUnit,
                      Tessu::ParameterProperty* linked);
// Free-running (linked sync switch off) the rate in Hz; synced, the note division at the knob position.
void formatLfoRateSync(Tessu::ParameterProperty* self, float value, char* text, int32_t withUnit,
                       Tessu::ParameterProperty* linked);

// The synced LFO's note division for a normalised rate knob position: 1 ("4/1") at the bottom to
// 24 ("1/16D") at the top, floor(23 n + 0.5) + 1. The DSP picks its division with the same rule.
int32_t lfoSyncDivisionIndex(float normalizedRate);
// "4/1" .. "1/16", then the triplets "4/1T" .. "1/16T", then the dotted "4/1D" .. "1/16D"; "" outside 1..24.
const char* lfoSyncDivisionName(int32_t index);
