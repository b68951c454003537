// The effect's state chunk: what a host saves with a project and gives back on load.
#include "params/KavrenParameters.h"
#include "utilities/EffectHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> chunkOf(CKavren& effect) {
    void* data = nullptr;
    int32_t size = effect.getPresetChunk(&data);
    auto* bytes = static_cast<uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

void load(CKavren& effect, std::vector<uint8_t> chunk) {
    effect.setPresetChunk(chunk.data(), int32_t(chunk.size()));
}

float valueOf(CKavren& effect, const char* key) {
    return effect.findParameterByKey(key)->getValue();
}

} // namespace

TEST(State, RandomSettingsRoundTripBetweenTwoInstances) {
    std::mt19937 random(2024);
    for (int round = 0; round < 5; ++round) {
        CKavren source(nullptr), target(nullptr);
        for (int32_t id = 0; id < kParameterCount; ++id) {
            Tessu::ParameterProperty* p = source.findParameterById(id);
            p->setNormalizedValue(std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
        }
        // Link amounts only survive with their switches on (tested on its own below).
        source.findParameterById(kRingModLinkFreq)->setValue(1.0f);
        source.findParameterById(kFreqModLinkFreq)->setValue(1.0f);
        source.setPresetName("Round Trip");
        source.globalLimiterParameter().setValue(0.0f);
        load(target, chunkOf(source));
        for (int32_t id = 0; id < kParameterCount; ++id)
            EXPECT_EQ(target.findParameterById(id)->getValue(), source.findParameterById(id)->getValue())
                << source.findParameterById(id)->getKey();
        EXPECT_EQ(target.getPresetName(), "Round Trip");
        EXPECT_EQ(target.globalLimiterParameter().getValue(), 0.0f);
        // Applying a chunk and writing it again gives the same bytes.
        EXPECT_EQ(chunkOf(target), chunkOf(source));
    }
}

TEST(State, MissingKeysTakeTheirDefaultsNotTheirFormerValues) {
    CKavren source(nullptr), target(nullptr);
    source.findParameterByKey("LP Attack")->setValue(300.0f);
    target.findParameterByKey("LP Attack")->setValue(700.0f);
    target.findParameterByKey("LOWPASSFREQ")->setValue(500.0f);
    // A chunk from a manager that never had "LP Attack" (e.g. an older version of the effect).
    Tessu::CPropertyManager sparse;
    sparse.setName("QMX kavren");
    sparse.setCompress(false);
    for (int32_t id = 0; id < kParameterCount; ++id) {
        if (id == kLpEnvAttack) continue;
        Tessu::ParameterDescriptor d = kavrenParameterDescriptors()[size_t(id)];
        d.initialValue = source.findParameterById(id)->getValue();
        sparse.addParameter(d);
    }
    void* block = nullptr;
    int32_t size = sparse.getStateBlock(&block);
    Tessu::CPresetChunk chunk;
    chunk.setIdentifier("QMX-kavren-Preset");
    chunk.addBlock("Parameters", block, size);
    void* bytes = nullptr;
    int32_t chunkSize = chunk.serialize(&bytes);
    target.setPresetChunk(bytes, chunkSize);
    EXPECT_EQ(valueOf(target, "LP Attack"), 50.0f);
    EXPECT_EQ(valueOf(target, "LOWPASSFREQ"), 22050.0f);
}

TEST(State, LinkAmountsWithoutTheirSwitchLoadAsZero) {
    CKavren source(nullptr), target(nullptr);
    source.findParameterByKey("RinkModLinkFreq")->setValue(0.0f);
    source.findParameterByKey("RinkModLinkFreqPerc.")->setValue(0.7f);
    source.findParameterByKey("FreqModLinkFreq")->setValue(1.0f);
    source.findParameterByKey("FreqModLinkFreqPerc.")->setValue(-0.4f);
    load(target, chunkOf(source));
    EXPECT_EQ(valueOf(target, "RinkModLinkFreqPerc."), 0.0f);
    EXPECT_FLOAT_EQ(valueOf(target, "FreqModLinkFreqPerc."), -0.4f);
}

TEST(State, ForeignShortOrDamagedChunksChangeNothing) {
    CKavren source(nullptr), target(nullptr);
    source.findParameterByKey("LOWPASSFREQ")->setValue(1234.0f);
    target.findParameterByKey("LOWPASSFREQ")->setValue(777.0f);
    target.setPresetName("Keep Me");
    std::vector<uint8_t> good = chunkOf(source);

    std::vector<uint8_t> foreign = good;
    std::memcpy(foreign.data(), "QMX-other-Preset\0\0\0", 20);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + 60);
    std::vector<uint8_t> tiny(good.begin(), good.begin() + 9);
    for (auto* bad : {&foreign, &truncated, &tiny}) {
        load(target, *bad);
        EXPECT_EQ(valueOf(target, "LOWPASSFREQ"), 777.0f);
        EXPECT_EQ(target.getPresetName(), "Keep Me");
    }
    target.setPresetChunk(nullptr, 100);
    EXPECT_EQ(valueOf(target, "LOWPASSFREQ"), 777.0f);
}

TEST(State, LoadedSettingsReachTheAudio) {
    EffectHarness source, target;
    source.set("LOWPASSFREQ", 500.0f);
    source.set("LOWPASSSLOPE", 4.0f);
    load(*target.effect, chunkOf(*source.effect));
    Stereo out = target.run(sine(22050, 4000.0, 44100.0));
    // Three octaves above a 96 dB/oct cut-off nothing audible is left.
    EXPECT_LT(decibels(rms(out.left, 11025) / 0.35), -80.0);
}
