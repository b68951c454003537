// The AEffect record and the dispatcher's answers, opcode by opcode, as a host sees them.
#include "vst2/PluginPath.h"
#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

class Opcodes : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<VstPluginHost>(pluginPath());
        host->start(44100.0f, 512);
    }
    AEffect* effect() { return host->effect(); }

    std::unique_ptr<VstPluginHost> host;
};

TEST_F(Opcodes, EffectRecordDescribesAStereoEffectWithChunksAndEditor) {
    AEffect* e = effect();
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->initialDelay, 221);
    EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
    EXPECT_TRUE(e->flags & effFlagsCanReplacing);
    EXPECT_TRUE(e->flags & effFlagsProgramChunks);
    EXPECT_TRUE(e->flags & effFlagsHasEditor);
    EXPECT_FALSE(e->flags & effFlagsCanDoubleReplacing);
    EXPECT_FALSE(e->flags & effFlagsIsSynth);
    EXPECT_NE(e->object, nullptr);
    // Hosts only use processReplacing when it differs from the accumulating entry.
    EXPECT_NE(reinterpret_cast<void*>(e->process), reinterpret_cast<void*>(e->processReplacing));
    EXPECT_NE(e->processDoubleReplacing, nullptr);
}

TEST_F(Opcodes, IdentityAndVersionAnswers) {
    EXPECT_EQ(host->text(effGetEffectName), "QMX Kavren XL");
    EXPECT_EQ(host->text(effGetVendorString), "Quillmark");
    EXPECT_EQ(host->text(effGetProductString), "Tarnwell");
    EXPECT_EQ(host->dispatch(effGetVendorVersion), 66056);
    EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host->dispatch(effIdentify), fourCC("NvEf"));
    EXPECT_EQ(host->dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(host->dispatch(effGetTailSize), 0);
    EXPECT_EQ(host->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host->dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(host->dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(host->dispatch(effSetTotalSampleToProcess, 0, 777), 777);
    EXPECT_EQ(host->dispatch(effBeginLoadBank), 1);
    EXPECT_EQ(host->dispatch(effBeginLoadProgram), 1);
    EXPECT_EQ(host->dispatch(effString2Parameter, 0, 0, const_cast<char*>("1")), 0);
    EXPECT_EQ(host->dispatch(effGetProgram), 0);
    EXPECT_EQ(host->text(effGetProgramName), "");
    EXPECT_EQ(host->dispatch(9999), 0);
}

TEST_F(Opcodes, CanDoAnswersAreExactAndCaseSensitive) {
    EXPECT_EQ(host->canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(host->canDo("bypass"), 1);
    EXPECT_EQ(host->canDo("Bypass"), 0);
    EXPECT_EQ(host->canDo("receiveVstMidiEvent"), 0);
    EXPECT_EQ(host->canDo("sendVstMidiEvent"), 0);
    EXPECT_EQ(host->canDo("receiveVstEvents"), 0);
    EXPECT_EQ(host->canDo("offline"), 0);
}

TEST_F(Opcodes, PinPropertiesNameTheOutputsAndStopAfterTwoChannels) {
    VstPinProperties pin{};
    EXPECT_EQ(host->dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "QMX Kavren XL");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
    EXPECT_EQ(host->dispatch(effGetOutputProperties, 2, 0, &pin), 0);

    std::memset(&pin, 'x', sizeof(pin));
    EXPECT_EQ(host->dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(host->dispatch(effGetInputProperties, 2, 0, &pin), 0);
}

TEST_F(Opcodes, EditorRectIsAvailableBeforeAndAfterOpenAttempts) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        ERect* rect = nullptr;
        EXPECT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 534);
        EXPECT_EQ(rect->bottom - rect->top, 488);
        // No window system is used here: opening without a parent window must fail cleanly.
        EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 0);
        host->dispatch(effEditClose);
    }
}

TEST_F(Opcodes, ShellEnumerationListsTheOneEffectThenEnds) {
    char name[64] = {};
    EXPECT_EQ(host->dispatch(effShellGetNextPlugin, 0, 0, name), fourCC("Zqtk"));
    EXPECT_STREQ(name, "QMX Kavren XL");
    EXPECT_EQ(host->dispatch(effShellGetNextPlugin, 0, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(host->dispatch(effShellGetNextPlugin, 0, 0, name), fourCC("Zqtk"));
}

TEST_F(Opcodes, VendorSpecificHandlesOnlyWheelAndAudioReset) {
    EXPECT_EQ(host->dispatch(effVendorSpecific, fourCC("stCA"), fourCC("Whee"), nullptr, 1.0f), 1);
    EXPECT_EQ(host->dispatch(effVendorSpecific, fourCC("stCa"), fourCC("Whee"), nullptr, -1.0f), 1);
    EXPECT_EQ(host->dispatch(effVendorSpecific, fourCC("stXA"), fourCC("Whee"), nullptr, 1.0f), 0);
    EXPECT_EQ(host->dispatch(effVendorSpecific, fourCC("kAud"), fourCC("kRST")), 1);
    EXPECT_EQ(host->dispatch(effVendorSpecific, fourCC("kAud"), fourCC("kRSt")), 0);
}

TEST_F(Opcodes, SpeakerArrangementQueriesAndChanges) {
    VstSpeakerArrangement* in = reinterpret_cast<VstSpeakerArrangement*>(1);
    VstSpeakerArrangement* out = reinterpret_cast<VstSpeakerArrangement*>(1);
    EXPECT_EQ(host->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);

    VstSpeakerArrangement stereo{};
    stereo.type = kSpeakerArrStereo;
    stereo.numChannels = 2;
    EXPECT_EQ(host->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&stereo), &stereo), 1);
}

TEST_F(Opcodes, BypassAndEventsAreAccepted) {
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(host->dispatch(effSetBypass, 0, 0), 1);
    VstMidiEvent note{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), 60, 100, 0}, 0, 0, 0, 0};
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(host->dispatch(effProcessEvents, 0, 0, &events), 1);
}

TEST_F(Opcodes, ParameterQueriesOutsideTheHostListAnswerNeutrally) {
    int32_t count = effect()->numParams;
    EXPECT_EQ(host->parameterName(count), "");
    EXPECT_EQ(host->parameterDisplay(-1), "");
    EXPECT_FLOAT_EQ(host->getParameter(count), 0.0f);
    VstParameterProperties properties{};
    EXPECT_EQ(host->dispatch(effGetParameterProperties, count, 0, &properties), 0);
    EXPECT_EQ(host->dispatch(effCanBeAutomated, count), 0);
    host->setParameter(count, 0.5f);
    host->setParameter(-1, 0.5f);
}

} // namespace
