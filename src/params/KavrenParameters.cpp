#include "params/KavrenParameters.h"

#include "params/KavrenFormatters.h"

using Tessu::ParameterDescriptor;
using Tessu::ParameterProperty;

namespace {

using enum Tessu::UnitKind;

// clang-format off
constexpr std::array<ParameterDescriptor, kParameterCount> kDescriptors = {{
//   key (in state chunks), short name, host name, minimum, maximum, initial, default, automatable, curve, unit kind, id
    {"INPUTGAIN", "Input Gain", "Input Gain", 0.0f, 2.0f, 1.0f, 1.0f, true, 0.0f, kUnitGainFactor, 0},
    {"LOWPASSFREQ", "LowPass Frequency", "LowPass.Freq.", 40.0f, 22050.0f, 22050.0f, 22050.0f, true, 30.0f, kUnitHertz, 1},
    {"LOWPASSQ", "LowPass Resonance", "LowPass.Res.", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 2},
    {"LOWPASSQWIDTH", "LowPass Res.Width", "LowPass.Res.Width", 0.54f, 1.5f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 3},
    {"LOWPASSSLOPE", "LowPass Slope", "LowPass.Slope", 1.0f, 4.0f, 2.0f, 2.0f, true, 0.0f, kUnitInteger, 4},
    {"HIGHPASSFREQ", "HighPass Frequency", "HighPass.Freq.", 0.001f, 22050.0f, 0.0f, 0.001f, true, 25.0f, kUnitHertz, 5},
    {"HIGHPASSQ", "HighPass Resonance", "HighPass.Res.", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 6},
    {"HIGHPASSQWIDTH", "HighPass Res.Width", "HighPass.Res. Width", 0.54f, 1.5f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 7},
    {"HIGHPASSSLOPE", "HighPass Slope", "HighPass.Slope", 1.0f, 4.0f, 2.0f, 2.0f, true, 0.0f, kUnitInteger, 8},
    {"OUTPUTGAIN", "Output Gain", "Output Gain", 0.0f, 2.0f, 1.0f, 1.0f, true, 0.0f, kUnitGainFactor, 9},
    {"LINKFILTERS", "Link Filters", "Link Filters", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 10},
    {"FILTERMODE", "Filter Mode", "Filter Mode", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 11},
    {"LP Attack", "LP Atk", "Env.LP Attack", 1.0f, 1000.0f, 5.0f, 50.0f, true, 18.0f, kUnitMilliseconds, 12},
    {"LP Release", "LP Rls", "Env.LP Release", 10.0f, 1000.0f, 5.0f, 50.0f, true, 18.0f, kUnitMilliseconds, 13},
    {"LP Strength", "LP Str", "Env.LP Strength", -1.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 14},
    {"HP Attack", "HP Atk", "Env.HP Attack", 1.0f, 1000.0f, 50.0f, 50.0f, true, 18.0f, kUnitMilliseconds, 15},
    {"HP Release", "HP Rls", "Env.HP Release", 10.0f, 1000.0f, 100.0f, 50.0f, true, 18.0f, kUnitMilliseconds, 16},
    {"HP Strength", "HP Str", "Env.HP Strength", -1.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 17},
    {"MEASUREPOINT", "Area", "Env.Measure Point", 100.0f, 16000.0f, 4000.0f, 4000.0f, true, 30.0f, kUnitHertz, 18},
    {"ENV_BOOST", "Boost", "Env.Envelope Boost", -12.0f, 12.0f, 1.0f, 1.0f, true, 0.0f, kUnitDecibels, 19},
    {"LFO Rate", "Speed", "LFO.Rate", 0.0f, 10.0f, 0.15f, 0.15f, true, 10.0f, kUnitHertz, 20},
    {"LFO Shape", "Shape", "LFO.Shape", 0.0f, 5.0f, 0.0f, 0.0f, true, 0.0f, kUnitInteger, 21},
    {"LFO Sync", "Sync", "LFO.Sync", 0.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitOnOff, 22},
    {"LP StrengthLFO", "LP Str.", "LFO.LP Strength", -3.0f, 3.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 23},
    {"HP StrengthLFO", "HP Str.", "LFO.HP Strength", -3.0f, 3.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 24},
    {"LFO BPM", "BPM", "LFO.BPM Override", 29.0f, 200.0f, 0.0f, 29.0f, true, 0.0f, kUnitInteger, 25},
    {"LFO Shift", "Shift", "LFO.Shift", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 26},
    {"DISTLEVEL", "Drv. Lvl", "Drive.Level", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 27},
    {"DISTPREPOST", "Pre/Post", "Dist.Pre/Post", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 28},
    {"RATEREDUCE_LEVEL", "Rate", "Rate.Reduction", 0.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 29},
    {"RATE_LPLINK", "LP Link", "Rate.LP Link", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 30},
    {"RATE_LINK_AMOUNT", "Amount", "Rate.LP Link Amount", -1.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 31},
    {"RATE_PREPOST", "Pre/Post", "Rate.pre / post", 0.0f, 1.0f, 1.0f, 1.0f, true, 20.0f, kUnitOnOff, 32},
    {"RATE_FLIP", "Flip Link", "Rate.Flip", 0.0f, 1.0f, 0.0f, 0.0f, false, 0.0f, kUnitOnOff, 33},
    {"LimitRelease", "Rls", "Limiter.Release", 1.0f, 1000.0f, 110.0f, 50.0f, true, 20.0f, kUnitMilliseconds, 34},
    {"LimiterBypass", "On/Off", "Limiter.Bypass", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 35},
    {"LimiterOutGain", "Out.Gain", "Limiter.OutGain", -1.0f, 0.0f, -0.1f, -0.1f, true, 0.0f, kUnitDecibels, 36},
    {"RingModFreq", "Freq.", "RingMod.Freq.", 200.0f, 12000.0f, 100.0f, 200.0f, true, 30.0f, kUnitHertz, 37},
    {"RingModeStrength", "Mix", "RingMod.Mix", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 38},
    {"RinkModLinkFreq", "LP Link.", "---------", 0.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitOnOff, 39},
    {"RinkModLinkFreqPerc.", "Lnk Freq.", "RingMod.Lnk.Amnt", -1.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 40},
    {"kDryWetMix", "DryWetMix", "DryWetMix", 0.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 41},
    {"kBypass", "Bypass", "Bypass", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 42},
    {"FreqModFreq", "Freq.", "FreqMod.Freq.", 0.0f, 16000.0f, 100.0f, 200.0f, true, 30.0f, kUnitHertz, 43},
    {"FreqModeStrength", "Mix", "FreqMod.Mix", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 44},
    {"FreqModLinkFreq", "-------", "------------", 0.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitOnOff, 45},
    {"FreqModLinkFreqPerc.", "Lnk Freq.", "FreqMod.Lnk.Frq.Amnt", -1.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 46},
    {"FreqModLinkMixPercent", "Lnk Mix", "FreqMod.Lnk.Mix.Amnt.", -1.0f, 1.0f, 0.0f, 0.0f, true, 0.0f, kUnitPercent, 47},
    {"FilterInteria", "Filter Inertia ( 48/96db )", "FltrInertia", 0.0f, 1.0f, 1.0f, 1.0f, true, 0.0f, kUnitPercent, 48},
}};
// clang-format on

void installDisplay(ParameterProperty& parameter) {
    switch (parameter.getId()) {
    case kFilterMode:
        parameter.setFormatFunction(formatFilterMode);
        break;
    case kMeasurePoint:
        parameter.setFormatFunction(formatMeasurePoint);
        break;
    case kLfoShape:
        parameter.setFormatFunction(formatLfoShape);
        break;
    case kLfoBpm:
        parameter.setFormatFunction(formatLfoTempo);
        break;
    case kDistPrePost:
    case kRatePrePost:
        parameter.setFormatFunction(formatPrePost);
        break;
    case kLimiterRelease:
        parameter.setFormatFunction(formatLimiterRelease);
        break;
    case kRingModLinkAmount:
    case kFreqModLinkFreqAmount:
    case kFreqModLinkMixAmount:
        parameter.setLinkedFormatFunction(formatLinkAmount);
        break;
    default:
        break;
    }
}

} // namespace

const std::array<ParameterDescriptor, kParameterCount>& kavrenParameterDescriptors() {
    return kDescriptors;
}

void createKavrenParameters(Tessu::CPropertyManager& manager, Tessu::ParameterChangeListener* effect) {
    manager.setName("QMX kavren");
    manager.setCompress(false);
    manager.setMinimumVersion(0);
    for (const ParameterDescriptor& descriptor : kDescriptors) {
        ParameterProperty* parameter = manager.addParameter(descriptor);
        installDisplay(*parameter);
        parameter->addListener(effect, true);
    }
    ParameterProperty* rate = manager.findParameterById(kLfoRate);
    rate->setLinkedFormatFunction(formatLfoRateSync);
    rate->setLinkedParameter(manager.findParameterById(kLfoSync));
}

void initPresetNameParameter(ParameterProperty& parameter) {
    parameter.setKey("PRESETNAME");
    parameter.setId(kPresetNameParameterId);
    parameter.setName("");
    parameter.setUnitKind(Tessu::kUnitText);
}

void initGlobalLimiterParameter(ParameterProperty& parameter) {
    parameter.setKey("GLOBAL.LIMITER");
    parameter.setId(kGlobalLimiterParameterId);
    parameter.setName("Global");
    parameter.setUnitKind(Tessu::kUnitOnOff);
    parameter.setValue(1.0f);
    parameter.setFormatFunction(formatGlobalLimiter);
}
