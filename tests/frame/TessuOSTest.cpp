// The effect base: MIDI decoding, host-change queuing with beat quantisation, defaults.
#include "frame/TessuOS.h"
#include "params/CPropertyManager.h"
#include "params/ParameterProperty.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tessu;

namespace {

struct RecordingEffect : TessuOS {
    RecordingEffect() : TessuOS(nullptr) {}
    void handleMidiEvent(MidiEventRecord* e) override { handled.push_back(*e); }
    std::vector<MidiEventRecord> handled;
};

MidiEventRecord raw(int32_t delta, uint8_t status, uint8_t d1, uint8_t d2) {
    MidiEventRecord r;
    r.deltaFrames = delta;
    r.status = status;
    r.data1 = d1;
    r.data2 = d2;
    r.kind = status & 0xF0;
    return r;
}

float bend(uint8_t lsb, uint8_t msb) {
    RecordingEffect effect;
    std::vector<MidiEventRecord> events = {raw(0, 0xE3, lsb, msb)};
    effect.processMidiEvents(events);
    return effect.handled.at(0).value;
}

// Raw bend value v as the two 7-bit data bytes.
float bendRaw(int v) {
    return bend(uint8_t((v + 8192) & 0x7F), uint8_t((v + 8192) >> 7));
}

} // namespace

TEST(MidiDecoding, NotesControllersAndChannels) {
    RecordingEffect effect;
    std::vector<MidiEventRecord> events = {raw(0, 0x92, 60, 0), raw(1, 0x81, 61, 127), raw(2, 0xB5, 7, 127),
                                           raw(3, 0xB0, 120, 0)};
    effect.processMidiEvents(events);
    ASSERT_EQ(effect.handled.size(), 4u);
    EXPECT_EQ(effect.handled[0].kind, MidiEventRecord::kNoteOff);
    EXPECT_EQ(effect.handled[0].status, 0x80);
    EXPECT_EQ(effect.handled[0].channel, 2);
    EXPECT_EQ(effect.handled[0].note, 60);
    EXPECT_FLOAT_EQ(effect.handled[1].velocity, 1.0f);
    EXPECT_EQ(effect.handled[2].controller, 7);
    EXPECT_EQ(effect.handled[2].channel, 5);
    EXPECT_FLOAT_EQ(effect.handled[2].value, 1.0f);
    EXPECT_EQ(effect.handled[3].kind, MidiEventRecord::kAllSoundOff);
}

TEST(MidiDecoding, PitchBendHasADeadZoneAndAsymmetricScale) {
    EXPECT_EQ(bendRaw(-1), 0.0f);
    EXPECT_EQ(bendRaw(0), 0.0f);
    EXPECT_EQ(bendRaw(1), 0.0f);
    EXPECT_FLOAT_EQ(bendRaw(-8192), -1.0f);
    EXPECT_FLOAT_EQ(bendRaw(8152), 1.0f);
    EXPECT_FLOAT_EQ(bendRaw(-4096), -0.5f);
}

TEST(MidiDecoding, AllNotesOffMovesAheadOfItsFrame) {
    RecordingEffect effect;
    std::vector<MidiEventRecord> events = {raw(5, 0x90, 60, 100), raw(9, 0x90, 62, 100),
                                           raw(9, 0x90, 64, 100), raw(9, 0xB0, 123, 0)};
    effect.processMidiEvents(events);
    ASSERT_EQ(effect.handled.size(), 4u);
    EXPECT_EQ(effect.handled[0].note, 60);
    EXPECT_EQ(effect.handled[1].kind, MidiEventRecord::kAllNotesOff);
    EXPECT_EQ(effect.handled[2].note, 62);
    EXPECT_EQ(effect.handled[3].note, 64);
}

class PendingChanges : public ::testing::Test {
protected:
    void SetUp() override {
        gain = manager.addParameter({"GAIN", "Gain", "Gain", 0.0f, 2.0f, 1.0f, 1.0f, true, 0.0f, 3, 0});
        freq = manager.addParameter(
            {"FREQ", "Freq", "Freq", 40.0f, 22050.0f, 1000.0f, 1000.0f, true, 30.0f, 5, 1});
        effect.setSampleRate(48000.0f);
    }
    void TearDown() override { effect.setChangeQuantize(TessuOS::kQuantizeOff); }

    CPropertyManager manager;
    ParameterProperty* gain = nullptr;
    ParameterProperty* freq = nullptr;
    RecordingEffect effect;
};

TEST_F(PendingChanges, OneEntryPerParameterHoldingTheLatestValue) {
    // Without quantisation the list declines: the caller applies the change at once.
    EXPECT_FALSE(effect.queueParameterChange(gain, 0.25f, 0));
    EXPECT_TRUE(effect.getPendingChanges().empty());
    effect.setChangeQuantize(1);
    EXPECT_TRUE(effect.queueParameterChange(gain, 0.25f, 0));
    EXPECT_TRUE(effect.queueParameterChange(gain, 0.75f, 3));
    EXPECT_TRUE(effect.queueParameterChange(freq, 0.5f, 0));
    const auto pending = effect.getPendingChanges();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_FLOAT_EQ(pending[0].normalizedValue, 0.75f);
    EXPECT_FLOAT_EQ(pending[0].value, 1.5f);
    EXPECT_EQ(pending[0].delay, 3);
    // The queued plain value follows the parameter's skew curve, like the parameter itself.
    EXPECT_NEAR(pending[1].value, freq->toPlain(0.5), 1e-2);
}

TEST_F(PendingChanges, QuantisedChangeLandsOnTheNextSixteenthOrAtOnceWhileTheTransportStands) {
    // 1/16 at 120 BPM and 48 kHz is 6000 frames; the block starts 1000 frames before a boundary.
    EXPECT_EQ(TessuOS::framesToNextBoundary(5000.0, 120.0, 48000.0, TessuOS::kSixteenth), 1000);
    EXPECT_EQ(TessuOS::framesToNextBoundary(6000.0, 120.0, 48000.0, TessuOS::kSixteenth), 0);
    for (const auto& [quantize, playing] : {std::pair{1, true}, std::pair{2, false}}) {
        SCOPED_TRACE(playing ? "playing" : "stopped");
        effect.setChangeQuantize(quantize);
        gain->setValue(1.0f);
        EXPECT_TRUE(effect.queueParameterChange(gain, 0.0f, 0));
        ProcessContext context;
        context.playing = playing;
        context.tempo = 120.0f;
        context.samplePos = 5000.0;
        effect.prepareBlock(context, 4096);
        int32_t n = 4096;
        effect.applyDueChanges(n);
        EXPECT_EQ(n, playing ? 1000 : 4096);
        EXPECT_FLOAT_EQ(gain->getValue(), playing ? 1.0f : 0.0f);
        n = 3096;
        effect.applyDueChanges(n);
        EXPECT_EQ(n, 3096);
        EXPECT_FLOAT_EQ(gain->getValue(), 0.0f);
    }
    effect.queueParameterChange(gain, 0.5f, 0);
    effect.clearPendingChanges();
    EXPECT_TRUE(effect.getPendingChanges().empty());
}

TEST(TessuDefaults, WrapperNameAndTempoWithoutHost) {
    RecordingEffect effect;
    EXPECT_STREQ(effect.getWrapperName(), "NO_CALLBACK");
    EXPECT_FLOAT_EQ(effect.getTempo(), 10.0f);
    EXPECT_EQ(effect.getMaxBlockSize(), -1);
    struct Vst2Host : TessuCallback {
        int32_t getWrapperType() override { return kWrapperVst2; }
    } host;
    struct Hosted : TessuOS {
        using TessuOS::TessuOS;
    } hosted(&host);
    EXPECT_STREQ(hosted.getWrapperName(), "VST2");
}
