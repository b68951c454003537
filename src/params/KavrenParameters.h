#pragma once

#include <array>
#include <cstdint>

#include "params/CPropertyManager.h"
#include "params/ParameterDescriptor.h"
#include "params/ParameterProperty.h"

// The effect's settings: the id of each table parameter is its row and its index in the manager.
enum KavrenParameterId : int32_t {
    kInputGain = 0,
    kLowPassFreq = 1,
    kLowPassQ = 2,
    kLowPassQWidth = 3,
    kLowPassSlope = 4,
    kHighPassFreq = 5,
    kHighPassQ = 6,
    kHighPassQWidth = 7,
    kHighPassSlope = 8,
    kOutputGain = 9,
    kLinkFilters = 10,
    kFilterMode = 11,
    kLpEnvAttack = 12,
    kLpEnvRelease = 13,
    kLpEnvStrength = 14,
    kHpEnvAttack = 15,
    kHpEnvRelease = 16,
    kHpEnvStrength = 17,
    kMeasurePoint = 18,
    kEnvBoost = 19,
    kLfoRate = 20,
    kLfoShape = 21,
    kLfoSync = 22,
    kLpLfoStrength = 23,
    kHpLfoStrength = 24,
    kLfoBpm = 25,
    kLfoShift = 26,
    kDistLevel = 27,
    kDistPrePost = 28,
    kRateReduceLevel = 29,
    kRateLpLink = 30,
    kRateLinkAmount = 31,
    kRatePrePost = 32,
    kRateFlip = 33,
    kLimiterRelease = 34,
    kLimiterBypass = 35,
    kLimiterOutGain = 36,
    kRingModFreq = 37,
    kRingModMix = 38,
    kRingModLinkFreq = 39,
    kRingModLinkAmount = 40,
    kDryWetMix = 41,
    kBypass = 42,
    kFreqModFreq = 43,
    kFreqModMix = 44,
    kFreqModLinkFreq = 45,
    kFreqModLinkFreqAmount = 46,
    kFreqModLinkMixAmount = 47,
    kFilterInertia = 48,
    kParameterCount = 49,
};

// Ids of the two parameter objects the effect keeps outside the manager.
constexpr int32_t kPresetNameParameterId = 0x504E414D; // "PNAM"
constexpr int32_t kGlobalLimiterParameterId = 1000;

// The rows the effect's parameters are built from, in id order.
const std::array<Tessu::ParameterDescriptor, kParameterCount>& kavrenParameterDescriptors();

// Names the manager "QMX kavren", stores the state block uncompressed, accepts every version from 0, then
// adds the 49 parameters with their value texts, links "LFO Rate" to "LFO Sync" for its synced display,
// and registers effect (may be null) with every parameter, telling it each start value at once.
void createKavrenParameters(Tessu::CPropertyManager& manager, Tessu::ParameterChangeListener* effect);

// The "PRESETNAME" object: a text parameter whose value stays 0; its listeners hear of every new name,
// which the effect keeps itself.
void initPresetNameParameter(Tessu::ParameterProperty& parameter);

// The "GLOBAL.LIMITER" switch: 1 lets each preset decide the limiter ("Preset"), below 1 it is off
// for every preset ("Gbl.OFF"). Starts at 1.
void initGlobalLimiterParameter(Tessu::ParameterProperty& parameter);
