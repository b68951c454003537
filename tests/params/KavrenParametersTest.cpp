#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "params/CPropertyManager.h"
#include "params/KavrenFormatters.h"
#include "params/KavrenParameters.h"

using namespace Tessu;

namespace {

// id | host index | key | name | long name | minimum | maximum | initial (after clamping) | default | curve |
// unit kind | host display text at minimum | at default | at maximum
const char* const kExpectedRows[] = {
    "0|0|INPUTGAIN|Input Gain|Input Gain|0|2|1|1|0|3|-oo|+0.00|+6.02",
    "1|1|LOWPASSFREQ|LowPass Frequency|LowPass.Freq.|40|22050|22050|22050|30|5|40.0|22050.0|22050.0",
    "2|2|LOWPASSQ|LowPass Resonance|LowPass.Res.|0|1|0|0|0|1|0.00|0.00|100.00",
    "3|3|LOWPASSQWIDTH|LowPass Res.Width|LowPass.Res.Width|0.54|1.5|1|1|0|1|36.00|66.67|100.00",
    "4|4|LOWPASSSLOPE|LowPass Slope|LowPass.Slope|1|4|2|2|0|13|1|2|4",
    "5|5|HIGHPASSFREQ|HighPass Frequency|HighPass.Freq.|0.001|22050|0.001|0.001|25|5|0.0|0.0|22050.0",
    "6|6|HIGHPASSQ|HighPass Resonance|HighPass.Res.|0|1|0|0|0|1|0.00|0.00|100.00",
    "7|7|HIGHPASSQWIDTH|HighPass Res.Width|HighPass.Res. Width|0.54|1.5|1|1|0|1|36.00|66.67|100.00",
    "8|8|HIGHPASSSLOPE|HighPass Slope|HighPass.Slope|1|4|2|2|0|13|1|2|4",
    "9|9|OUTPUTGAIN|Output Gain|Output Gain|0|2|1|1|0|3|-oo|+0.00|+6.02",
    "10|10|LINKFILTERS|Link Filters|Link Filters|0|1|0|0|0|8|Off|Off|On",
    "11|11|FILTERMODE|Filter Mode|Filter Mode|0|1|0|0|0|8|Bandpass|Bandpass|Notch",
    "12|12|LP Attack|LP Atk|Env.LP Attack|1|1000|5|50|18|0|1.0|50.0|1000.0",
    "13|13|LP Release|LP Rls|Env.LP Release|10|1000|10|50|18|0|10.0|50.0|1000.0",
    "14|14|LP Strength|LP Str|Env.LP Strength|-1|1|0|0|0|1|-100.00|+0.00|+100.00",
    "15|15|HP Attack|HP Atk|Env.HP Attack|1|1000|50|50|18|0|1.0|50.0|1000.0",
    "16|16|HP Release|HP Rls|Env.HP Release|10|1000|100|50|18|0|10.0|50.0|1000.0",
    "17|17|HP Strength|HP Str|Env.HP Strength|-1|1|0|0|0|1|-100.00|+0.00|+100.00",
    "18|18|MEASUREPOINT|Area|Env.Measure Point|100|16000|4000|4000|30|5|All|4.00k|16.00k",
    "19|19|ENV_BOOST|Boost|Env.Envelope Boost|-12|12|1|1|0|4|-12.0|1.0|12.0",
    "20|20|LFO Rate|Speed|LFO.Rate|0|10|0.15|0.15|10|5|4/1|1/1|1/16D",
    "21|21|LFO Shape|Shape|LFO.Shape|0|5|0|0|0|13|Sine|Sine|Square",
    "22|22|LFO Sync|Sync|LFO.Sync|0|1|1|1|0|8|Off|On|On",
    "23|23|LP StrengthLFO|LP Str.|LFO.LP Strength|-3|3|0|0|0|1|-100.00|+0.00|+100.00",
    "24|24|HP StrengthLFO|HP Str.|LFO.HP Strength|-3|3|0|0|0|1|-100.00|+0.00|+100.00",
    "25|25|LFO BPM|BPM|LFO.BPM Override|29|200|29|29|0|13|Host|Host|200",
    "26|26|LFO Shift|Shift|LFO.Shift|0|1|0|0|0|1|0.00|0.00|100.00",
    "27|27|DISTLEVEL|Drv. Lvl|Drive.Level|0|1|0|0|0|1|0.00|0.00|100.00",
    "28|28|DISTPREPOST|Pre/Post|Dist.Pre/Post|0|1|0|0|0|8|pre Filter|pre Filter|post Filter",
    "29|29|RATEREDUCE_LEVEL|Rate|Rate.Reduction|0|1|1|1|0|1|0.00|100.00|100.00",
    "30|30|RATE_LPLINK|LP Link|Rate.LP Link|0|1|0|0|0|8|Off|Off|On",
    "31|31|RATE_LINK_AMOUNT|Amount|Rate.LP Link Amount|-1|1|1|1|0|1|-100.00|+100.00|+100.00",
    "32|32|RATE_PREPOST|Pre/Post|Rate.pre / post|0|1|1|1|20|8|pre Filter|post Filter|post Filter",
    "33|-1|RATE_FLIP|Flip Link|Rate.Flip|0|1|0|0|0|8|Off|Off|On",
    "34|33|LimitRelease|Rls|Limiter.Release|1|1000|110|50|20|0|Auto| 50| 1000",
    "35|34|LimiterBypass|On/Off|Limiter.Bypass|0|1|0|0|0|8|Off|Off|On",
    "36|35|LimiterOutGain|Out.Gain|Limiter.OutGain|-1|0|-0.1|-0.1|0|4|-1.0|-0.1|0.0",
    "37|36|RingModFreq|Freq.|RingMod.Freq.|200|12000|200|200|30|5|200.0|200.0|12000.0",
    "38|37|RingModeStrength|Mix|RingMod.Mix|0|1|0|0|0|1|0.00|0.00|100.00",
    "39|38|RinkModLinkFreq|LP Link.|---------|0|1|1|1|0|8|Off|On|On",
    "40|39|RinkModLinkFreqPerc.|Lnk Freq.|RingMod.Lnk.Amnt|-1|1|0|0|0|1|-100.00%|Off|+100.00%",
    "41|40|kDryWetMix|DryWetMix|DryWetMix|0|1|1|1|0|1|0.00|100.00|100.00",
    "42|41|kBypass|Bypass|Bypass|0|1|0|0|0|8|Off|Off|On",
    "43|42|FreqModFreq|Freq.|FreqMod.Freq.|0|16000|100|200|30|5|0.0|200.0|16000.0",
    "44|43|FreqModeStrength|Mix|FreqMod.Mix|0|1|0|0|0|1|0.00|0.00|100.00",
    "45|44|FreqModLinkFreq|-------|------------|0|1|0|0|0|8|Off|Off|On",
    "46|45|FreqModLinkFreqPerc.|Lnk Freq.|FreqMod.Lnk.Frq.Amnt|-1|1|0|0|0|1|-100.00%|Off|+100.00%",
    "47|46|FreqModLinkMixPercent|Lnk Mix|FreqMod.Lnk.Mix.Amnt.|-1|1|0|0|0|1|-100.00%|Off|+100.00%",
    "48|47|FilterInteria|Filter Inertia ( 48/96db )|FltrInertia|0|1|1|1|0|1|0.00|100.00|100.00",
};

std::vector<std::string> cellsOf(const char* row) {
    std::vector<std::string> cells;
    std::stringstream stream(row);
    std::string cell;
    while (std::getline(stream, cell, '|')) cells.push_back(cell);
    return cells;
}

float number(const std::string& cell) {
    return std::strtof(cell.c_str(), nullptr);
}

std::string hostDisplay(ParameterProperty* parameter) {
    char text[kValueTextCapacity];
    formatCurrentValue(parameter, text, true, false, true);
    return text;
}

std::string display(ParameterProperty* parameter, float value, int32_t flags) {
    char text[kValueTextCapacity];
    parameter->formatValue(value, text, flags);
    return text;
}

struct CountingEffect : ParameterChangeListener {
    std::vector<int32_t> ids;
    void parameterChanged(IPluginParameter* parameter) override {
        ids.push_back(static_cast<ParameterProperty*>(parameter)->getId());
    }
};

class KavrenParameters : public testing::Test {
protected:
    void SetUp() override { createKavrenParameters(manager, &effect); }
    ParameterProperty* byKey(const char* key) { return manager.findParameterByKey(key); }
    CPropertyManager manager;
    CountingEffect effect;
};

} // namespace

TEST_F(KavrenParameters, EveryRowAndItsHostDisplaysAtMinimumDefaultAndMaximumMatchTheTable) {
    ASSERT_EQ(manager.getParameterCount(), kParameterCount);
    ASSERT_EQ(std::size(kExpectedRows), static_cast<size_t>(kParameterCount));
    for (const char* row : kExpectedRows) {
        const std::vector<std::string> cells = cellsOf(row);
        ASSERT_EQ(cells.size(), 14u) << row;
        const int32_t id = std::atoi(cells[0].c_str());
        ParameterProperty* parameter = manager.getParameterAt(id);
        ASSERT_NE(parameter, nullptr) << row;
        EXPECT_EQ(parameter->getId(), id);
        EXPECT_EQ(parameter->getHostIndex(), std::atoi(cells[1].c_str())) << row;
        EXPECT_EQ(parameter->isAutomatable(), parameter->getHostIndex() >= 0) << row;
        EXPECT_EQ(parameter->getKey(), cells[2]);
        EXPECT_EQ(parameter->getName(), cells[3]);
        EXPECT_EQ(parameter->getLongName(), cells[4]);
        EXPECT_FLOAT_EQ(parameter->getMinimum(), number(cells[5])) << row;
        EXPECT_FLOAT_EQ(parameter->getMaximum(), number(cells[6])) << row;
        EXPECT_FLOAT_EQ(parameter->getValue(), number(cells[7])) << row;
        EXPECT_FLOAT_EQ(parameter->getDefault(), number(cells[8])) << row;
        EXPECT_FLOAT_EQ(parameter->getCurve(), number(cells[9])) << row;
        EXPECT_EQ(parameter->getUnitKind(), std::atoi(cells[10].c_str())) << row;
        if (parameter->getHostIndex() >= 0) {
            EXPECT_EQ(manager.getHostParameter(parameter->getHostIndex()), parameter);
        }
        parameter->setValue(parameter->getMinimum());
        EXPECT_EQ(hostDisplay(parameter), cells[11]) << row;
        parameter->resetToDefault();
        EXPECT_EQ(hostDisplay(parameter), cells[12]) << row;
        parameter->setValue(parameter->getMaximum());
        EXPECT_EQ(hostDisplay(parameter), cells[13]) << row;
        parameter->resetToDefault();
    }
    EXPECT_EQ(manager.getHostParameterCount(), 48);
    EXPECT_STREQ(manager.getHostParameter(33)->getKey(), "LimitRelease");
    EXPECT_EQ(manager.getParameterAt(kFilterInertia), byKey("FilterInteria"));
    EXPECT_EQ(byKey("FilterInertia"), nullptr);
}

TEST_F(KavrenParameters, PlainToNormalisedToPlainForEveryParameter) {
    for (int32_t id = 0; id < kParameterCount; ++id) {
        ParameterProperty* parameter = manager.getParameterAt(id);
        const float minimum = parameter->getMinimum(), maximum = parameter->getMaximum();
        for (float plain : {minimum, parameter->getDefault(), (minimum + maximum) / 2, maximum}) {
            const float tolerance = 1e-5f * std::max(1.0f, std::abs(maximum - minimum));
            EXPECT_NEAR(parameter->toPlain(parameter->toNormalized(plain)), plain, tolerance) << id;
            parameter->setNormalizedValue(parameter->toNormalized(plain));
            EXPECT_NEAR(parameter->getValue(), plain, tolerance) << id;
        }
    }
}

TEST_F(KavrenParameters, EffectHearsEveryStartValueAndLaterChanges) {
    ASSERT_EQ(effect.ids.size(), static_cast<size_t>(kParameterCount));
    for (int32_t id = 0; id < kParameterCount; ++id) EXPECT_EQ(effect.ids[static_cast<size_t>(id)], id);
    effect.ids.clear();
    manager.getParameterAt(kRateFlip)->setValue(1.0f);
    EXPECT_EQ(effect.ids, std::vector<int32_t>{kRateFlip});
    EXPECT_STREQ(manager.getName(), "QMX kavren");
}

TEST_F(KavrenParameters, EdgeTextsWithUnitsAndPrecision) {
    ParameterProperty* inputGain = byKey("INPUTGAIN");
    EXPECT_EQ(display(inputGain, 1.0f, kFormatWithUnit), "+0.00dB");
    EXPECT_EQ(display(inputGain, 1.0f, kFormatLowPrecision), "+ 0");
    EXPECT_EQ(display(inputGain, 0.5f, kFormatLowPrecision), "-6");
    EXPECT_EQ(display(byKey("OUTPUTGAIN"), 1.0f, kFormatWithUnit | kFormatWithName), "Output Gain: +0.00dB");
    EXPECT_EQ(display(byKey("LP Strength"), -0.5f, 0), "-50.00");
    EXPECT_EQ(display(byKey("LP Strength"), 0.5f, 0), "+50.00");
    EXPECT_EQ(display(byKey("LOWPASSQ"), 0.5f, 0), "50.00");
    EXPECT_EQ(display(byKey("LP Attack"), 5.0f, kFormatWithUnit), "5.0ms");
    EXPECT_EQ(display(byKey("LOWPASSFREQ"), 1234.5f, kFormatWithUnit | kFormatLowPrecision), "1234Hz");
    EXPECT_EQ(display(byKey("LFO BPM"), 120.0f, 0), "120");
    EXPECT_EQ(display(byKey("LimitRelease"), 110.0f, kFormatWithUnit), "110 ms");
    EXPECT_EQ(display(byKey("LimitRelease"), 110.0f, 0), " 110");
    EXPECT_EQ(display(byKey("MEASUREPOINT"), 4000.0f, kFormatWithUnit), "4.00kHz");
    EXPECT_EQ(display(byKey("MEASUREPOINT"), 250.0f, kFormatWithUnit), "250.00Hz");
    EXPECT_EQ(display(byKey("MEASUREPOINT"), 100.0f, kFormatWithUnit), "All");
    EXPECT_EQ(display(byKey("FILTERMODE"), 1.0f, kFormatWithName), "Filter Mode: Notch");
    EXPECT_EQ(display(byKey("LFO Shape"), 2.95f, 0), "Dbl Sine");
    EXPECT_EQ(display(byKey("LFO Shape"), 6.0f, 0), "");
    EXPECT_EQ(display(byKey("FreqModLinkMixPercent"), 0.25f, kFormatWithUnit), "+25.00%");
    EXPECT_EQ(display(byKey("FreqModLinkMixPercent"), -0.25f, 0), "-25.00%");
}

TEST_F(KavrenParameters, RateShowsHertzFreeRunningAndDivisionsSynced) {
    ParameterProperty* rate = byKey("LFO Rate");
    ParameterProperty* sync = byKey("LFO Sync");
    ASSERT_EQ(rate->getLinkedParameter(), sync);
    sync->setValue(0.0f);
    EXPECT_EQ(display(rate, 0.15f, kFormatWithUnit), "0.150Hz");
    EXPECT_EQ(display(rate, 2.5f, kFormatWithUnit), "2.50Hz");
    EXPECT_EQ(display(rate, 2.5f, 0), "2.50");

    sync->setValue(1.0f);
    const char* const divisions[24] = {"4/1",  "3/1",  "2/1",  "1/1",  "1/2",  "1/4",  "1/8",  "1/16",
                                       "4/1T", "3/1T", "2/1T", "1/1T", "1/2T", "1/4T", "1/8T", "1/16T",
                                       "4/1D", "3/1D", "2/1D", "1/1D", "1/2D", "1/4D", "1/8D", "1/16D"};
    for (int32_t index = 1; index <= 24; ++index) {
        rate->setNormalizedValue((index - 1) / 23.0f);
        EXPECT_EQ(hostDisplay(rate), divisions[index - 1]) << index;
        EXPECT_EQ(display(rate, 123.0f, kFormatWithUnit),
                  divisions[index - 1]); // the knob decides, not the argument
        EXPECT_STREQ(lfoSyncDivisionName(index), divisions[index - 1]);
    }
    EXPECT_STREQ(lfoSyncDivisionName(0), "");
    EXPECT_STREQ(lfoSyncDivisionName(25), "");
    rate->setLinkedParameter(nullptr);
    EXPECT_EQ(hostDisplay(rate), "Error");
}

TEST(KavrenExtraParameters, PresetNameAndGlobalLimiter) {
    ParameterProperty name;
    initPresetNameParameter(name);
    EXPECT_STREQ(name.getKey(), "PRESETNAME");
    EXPECT_EQ(name.getId(), 0x504E414D);
    EXPECT_EQ(name.getUnitKind(), kUnitText);
    name.setValueFromText("Dark Sweep");
    EXPECT_FLOAT_EQ(name.getValue(), 0.0f);

    ParameterProperty limiter;
    initGlobalLimiterParameter(limiter);
    EXPECT_STREQ(limiter.getKey(), "GLOBAL.LIMITER");
    EXPECT_EQ(limiter.getId(), 1000);
    EXPECT_TRUE(limiter.getBoolValue());
    char text[kValueTextCapacity];
    formatCurrentValue(&limiter, text, false, true, true);
    EXPECT_STREQ(text, "Global: Preset");
    limiter.setValue(0.0f);
    formatCurrentValue(&limiter, text, true, false, true);
    EXPECT_STREQ(text, "Gbl.OFF");
}
