// The VST 2.4 adapter driving a stand-in effect: sub-blocks, transport, buffers and automation echo.
#include "frame/TessuOS.h"
#include "frame/vst2/TessuVST.h"
#include "params/CPropertyManager.h"
#include "params/ParameterProperty.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Tessu;
using namespace vst2;

namespace {

// An editor that only records the keys it is given.
struct KeyRecorder : IPluginEditor {
    std::vector<std::vector<int32_t>> keys; // character, virtual key, modifiers
    bool getSize(double rect[4]) override { return rect[0] = rect[1] = 0, rect[2] = rect[3] = 10, true; }
    bool open(void*) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    int32_t onKeyDown(const EditorKey& key) override {
        keys.push_back({key.character, key.virtualKey, key.modifiers});
        return 1;
    }
};

// Records what the adapter asks of it; output = input + 1 so copies are visible.
class StandInEffect : public TessuOS {
public:
    explicit StandInEffect(TessuCallback* callback) : TessuOS(callback) {
        editor = keyRecorder = new KeyRecorder;
        gain = manager.addParameter({"GAIN", "Gain", "Gain Level", 0.0f, 2.0f, 1.0f, 1.0f, true, 0.0f, 3, 0});
        manager.addParameter({"HIDDEN", "Hidden", "Hidden", 0.0f, 1.0f, 0.0f, 0.0f, false, 0.0f, 8, 1});
        freq = manager.addParameter(
            {"FREQ", "Frequency", "Filter.Freq", 40.0f, 22050.0f, 1000.0f, 1000.0f, true, 30.0f, 5, 2});
    }
    ParameterProperty* getParameterAt(int32_t i) override { return manager.getParameterAt(i); }
    ParameterProperty* getHostParameter(int32_t i) override { return manager.getHostParameter(i); }
    int32_t getParameterCount() override { return manager.getParameterCount(); }
    int32_t getHostParameterCount() override { return manager.getHostParameterCount(); }
    int32_t getMaxBlockSize() override { return int32_t(getSampleRate()) / 500; }
    void process(ProcessContext& context) override {
        subBlocks.push_back(context.frames);
        positions.push_back(context.samplePos);
        playing = context.playing;
        tempo = context.tempo;
        for (int32_t i = 0; i < context.frames; ++i) {
            context.outputs[0].left[i] = context.inputs[0].left[i] + 1.0f;
            context.outputs[0].right[i] = context.inputs[0].right[i] + 1.0f;
        }
    }
    void reset() override { ++resets; }

    CPropertyManager manager;
    ParameterProperty* gain;
    ParameterProperty* freq;
    KeyRecorder* keyRecorder;
    std::vector<int32_t> subBlocks;
    std::vector<double> positions;
    bool playing = false;
    float tempo = 0.0f;
    int resets = 0;
};

StandInEffect* lastEffect = nullptr;
VstTimeInfo hostTime{};
bool hostGivesTime = true;
bool hostResizes = false;
std::vector<std::pair<int32_t, float>> automated;
TessuVST* echoTarget = nullptr;

VstIntPtr testHost(AEffect*, int32_t opcode, int32_t index, VstIntPtr, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return hostGivesTime ? reinterpret_cast<VstIntPtr>(&hostTime) : 0;
    case audioMasterCanDo:
        return hostResizes && !std::strcmp(static_cast<const char*>(ptr), "sizeWindow");
    case audioMasterAutomate:
        automated.emplace_back(index, opt);
        // Some hosts answer automation with an immediate setParameter of the same value.
        if (echoTarget) echoTarget->setParameter(index, opt);
        return 0;
    default:
        return 0;
    }
}

class Adapter : public ::testing::Test {
protected:
    void SetUp() override {
        hostTime = {};
        hostTime.sampleRate = 44100.0;
        hostTime.tempo = 120.0;
        hostGivesTime = true;
        automated.clear();
        echoTarget = nullptr;
        adapter = new TessuVST(&testHost);
        effect = lastEffect;
        adapter->dispatcher(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        adapter->dispatcher(effSetBlockSize, 0, 512, nullptr, 0.0f);
    }
    void TearDown() override {
        adapter->getAeffect()->dispatcher(adapter->getAeffect(), effClose, 0, 0, nullptr, 0);
    }

    void run(int32_t frames, float level = 0.0f) {
        in.assign(2, std::vector<float>(size_t(std::max(frames, 1)), level));
        out.assign(2, std::vector<float>(size_t(std::max(frames, 1)), -5.0f));
        float* ins[2] = {in[0].data(), in[1].data()};
        float* outs[2] = {out[0].data(), out[1].data()};
        adapter->processReplacing(ins, outs, frames);
    }

    TessuVST* adapter = nullptr;
    StandInEffect* effect = nullptr;
    std::vector<std::vector<float>> in, out;
};

} // namespace

extern "C" TessuOS* createTessuInstance(TessuCallback* callback, int32_t) {
    return lastEffect = new StandInEffect(callback);
}

// Hosts forward keys as index = character, value = virtual key, opt = modifier bits; the editor may
// resize its window only where the host says it can.
TEST_F(Adapter, EditorKeysAreDecodedAsHostsSendThemAndResizingIsAsked) {
    adapter->dispatcher(effEditKeyDown, 'a', 0, nullptr, 1.0f); // shift-a
    adapter->dispatcher(effEditKeyDown, 0, 6, nullptr, 0.0f);   // Escape
    adapter->dispatcher(effEditKeyDown, 0, 4, nullptr, 8.0f);   // control-Return
    EXPECT_EQ(effect->keyRecorder->keys,
              (std::vector<std::vector<int32_t>>{{'a', 0, 1}, {0, 6, 0}, {0, 4, 8}}));
    for (bool resizes : {false, true}) {
        hostResizes = resizes;
        EXPECT_EQ(effect->getCallback()->canResizeWindow(), resizes);
    }
    hostResizes = false;
}

TEST_F(Adapter, BlocksAreCutIntoTwoMillisecondSubBlocks) {
    run(512);
    EXPECT_EQ(effect->subBlocks, (std::vector<int32_t>{88, 88, 88, 88, 88, 72}));
    EXPECT_FLOAT_EQ(out[1][511], 1.0f);
    effect->subBlocks.clear();
    run(0);
    EXPECT_TRUE(effect->subBlocks.empty());
    EXPECT_FLOAT_EQ(out[0][0], -5.0f);
}

TEST_F(Adapter, LongerBlockThanAnnouncedIsProcessedInPiecesOfTheAnnouncedSize) {
    run(3000, 0.5f);
    EXPECT_EQ(effect->getBlockSize(), 512);
    // Five pieces of 512 frames (88 × 5 + 72 each), then 440 frames (88 × 5), positions running on.
    ASSERT_EQ(effect->subBlocks.size(), 35u);
    EXPECT_EQ(effect->subBlocks[5], 72);
    EXPECT_DOUBLE_EQ(effect->positions.back(), 3000.0 - 88.0);
    for (const auto& channel : out)
        for (float sample : channel) ASSERT_FLOAT_EQ(sample, 1.5f);
}

TEST_F(Adapter, TransportReachesTheEffectAndAdvancesPerSubBlock) {
    hostTime.samplePos = 1000.0;
    hostTime.tempo = 90.0;
    hostTime.flags = kVstTransportPlaying;
    run(176);
    EXPECT_TRUE(effect->playing);
    EXPECT_FLOAT_EQ(effect->tempo, 90.0f);
    EXPECT_EQ(effect->positions, (std::vector<double>{1000.0, 1088.0}));

    hostGivesTime = false;
    run(10);
    EXPECT_FALSE(effect->playing);
    EXPECT_FLOAT_EQ(effect->tempo, 120.0f);
    EXPECT_FLOAT_EQ(adapter->getTempo(), 120.0f);
}

TEST_F(Adapter, HostChangesAreNotEchoedBackButPluginEditsAre) {
    adapter->setParameter(0, 0.25f);
    EXPECT_FLOAT_EQ(effect->gain->getValue(), 0.5f);
    EXPECT_TRUE(automated.empty());

    effect->gain->setValue(2.0f);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].first, 0);
    EXPECT_FLOAT_EQ(automated[0].second, 1.0f);
    // Host index 1 is the second automatable parameter; the hidden one is skipped.
    effect->freq->setValue(22050.0f);
    EXPECT_EQ(automated.back().first, 1);
}

TEST_F(Adapter, AnEchoingHostCausesNoSecondChangeOrMessage) {
    struct Counter : ParameterChangeListener {
        int calls = 0;
        void parameterChanged(IPluginParameter*) override { ++calls; }
    } counter;
    effect->gain->addListener(&counter, false);
    echoTarget = adapter;
    effect->gain->setValue(1.5f);
    EXPECT_EQ(automated.size(), 1u);
    EXPECT_EQ(counter.calls, 1);
    EXPECT_FLOAT_EQ(effect->gain->getValue(), 1.5f);
    effect->gain->removeListener(&counter);
}

TEST_F(Adapter, HostParameterTextsComeFromTheParameter) {
    char text[64];
    adapter->dispatcher(effGetParamName, 1, 0, text, 0);
    EXPECT_STREQ(text, "Filter.Freq");
    adapter->dispatcher(effGetParamLabel, 1, 0, text, 0);
    EXPECT_STREQ(text, "Hz");
    VstParameterProperties properties;
    std::memset(&properties, 'x', sizeof(properties));
    EXPECT_EQ(adapter->dispatcher(effGetParameterProperties, 1, 0, &properties, 0), 1);
    EXPECT_STREQ(properties.label, "Frequency");
    EXPECT_EQ(std::string(properties.shortLabel, 8), "Frequenc");
    EXPECT_EQ(properties.flags, 0);
    EXPECT_EQ(adapter->dispatcher(effCanBeAutomated, 0, 0, nullptr, 0), 1);
    EXPECT_FLOAT_EQ(adapter->getParameter(2), 0.0f);
}

TEST_F(Adapter, SuspendAndResumeResetTheEffectButBypassLeavesItToTheFade) {
    int before = effect->resets;
    adapter->dispatcher(effMainsChanged, 0, 0, nullptr, 0);
    adapter->dispatcher(effMainsChanged, 0, 1, nullptr, 0);
    adapter->dispatcher(effSetBypass, 0, 1, nullptr, 0);
    EXPECT_EQ(effect->resets, before + 2);
    EXPECT_TRUE(effect->isBypassed());
}
