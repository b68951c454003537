// The AEffect record and the dispatcher's answers, opcode by opcode, as a host sees them.
#include "utilities/PluginPath.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vst2;

namespace {

using Opcodes = StartedPlugin;

TEST_F(Opcodes, EffectRecordDescribesAStereoEffectWithChunksAndEditor) {
    AEffect* e = host.effect();
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->initialDelay, 221);
    EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
    EXPECT_TRUE(e->flags & effFlagsCanReplacing);
    EXPECT_TRUE(e->flags & effFlagsProgramChunks);
    EXPECT_EQ(bool(e->flags & effFlagsHasEditor), bool(KAVREN_WITH_EDITOR)) << "an editor only where built";
    EXPECT_FALSE(e->flags & effFlagsCanDoubleReplacing);
    EXPECT_FALSE(e->flags & effFlagsIsSynth);
    EXPECT_NE(e->object, nullptr);
    // Hosts only use processReplacing when it differs from the accumulating entry.
    EXPECT_NE(reinterpret_cast<void*>(e->process), reinterpret_cast<void*>(e->processReplacing));
    EXPECT_NE(e->processDoubleReplacing, nullptr);
}

TEST_F(Opcodes, IdentityVersionAndCanDoAnswers) {
    EXPECT_EQ(host.text(effGetEffectName), "QMX Kavren XL");
    EXPECT_EQ(host.text(effGetVendorString), "Quillmark");
    EXPECT_EQ(host.text(effGetProductString), "Tarnwell");
    EXPECT_EQ(host.text(effGetProgramName), "");
    const struct {
        int32_t opcode;
        VstIntPtr value, answer;
    } answers[] = {{effGetVendorVersion, 0, 66056},
                   {effGetVstVersion, 0, 2400},
                   {effIdentify, 0, fourCC("NvEf")},
                   {effGetPlugCategory, 0, 0},
                   {effGetTailSize, 0, 0},
                   {effGetCurrentMidiProgram, 0, -1},
                   {effGetNumMidiInputChannels, 0, 0},
                   {effGetNumMidiOutputChannels, 0, 0},
                   {effSetTotalSampleToProcess, 777, 777},
                   {effBeginLoadBank, 0, 1},
                   {effBeginLoadProgram, 0, 1},
                   {effGetProgram, 0, 0},
                   {9999, 0, 0}};
    for (const auto& a : answers) EXPECT_EQ(host.dispatch(a.opcode, 0, a.value), a.answer) << a.opcode;
    EXPECT_EQ(host.dispatch(effString2Parameter, 0, 0, const_cast<char*>("1")), 0);
    // Exact and case-sensitive.
    for (const char* yes : {"receiveVstTimeInfo", "bypass"}) EXPECT_EQ(host.canDo(yes), 1) << yes;
    for (const char* no :
         {"Bypass", "receiveVstMidiEvent", "sendVstMidiEvent", "receiveVstEvents", "offline"})
        EXPECT_EQ(host.canDo(no), 0) << no;
}

TEST_F(Opcodes, PinPropertiesNameTheOutputsAndStopAfterTwoChannels) {
    VstPinProperties pin{};
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "QMX Kavren XL");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 2, 0, &pin), 0);

    std::memset(&pin, 'x', sizeof(pin));
    EXPECT_EQ(host.dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(host.dispatch(effGetInputProperties, 2, 0, &pin), 0);
}

TEST_F(Opcodes, EditorRectIsAvailableBeforeAndAfterOpenAttempts) {
    if (!KAVREN_WITH_EDITOR) {
        ERect* rect = nullptr;
        EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect, nullptr);
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        ERect* rect = nullptr;
        EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 534);
        EXPECT_EQ(rect->bottom - rect->top, 488);
        // No window system is used here: opening without a parent window must fail cleanly.
        EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);
        host.dispatch(effEditClose);
    }
}

TEST_F(Opcodes, ShellEnumerationListsTheOneEffectThenEnds) {
    char name[64] = {};
    EXPECT_EQ(host.dispatch(effShellGetNextPlugin, 0, 0, name), fourCC("Zqtk"));
    EXPECT_STREQ(name, "QMX Kavren XL");
    EXPECT_EQ(host.dispatch(effShellGetNextPlugin, 0, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(host.dispatch(effShellGetNextPlugin, 0, 0, name), fourCC("Zqtk"));
}

TEST_F(Opcodes, VendorRequestsBypassEventsAndSpeakerQueries) {
    // Vendor requests: only the wheel (either case of the last letter) and the audio reset are handled.
    const struct {
        int32_t index;
        VstIntPtr value;
        float opt;
        VstIntPtr answer;
    } vendor[] = {{fourCC("stCA"), fourCC("Whee"), 1.0f, 1},
                  {fourCC("stCa"), fourCC("Whee"), -1.0f, 1},
                  {fourCC("stXA"), fourCC("Whee"), 1.0f, 0},
                  {fourCC("kAud"), fourCC("kRST"), 0.0f, 1},
                  {fourCC("kAud"), fourCC("kRSt"), 0.0f, 0}};
    for (const auto& v : vendor)
        EXPECT_EQ(host.dispatch(effVendorSpecific, v.index, v.value, nullptr, v.opt), v.answer) << v.index;

    EXPECT_EQ(host.dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(host.dispatch(effSetBypass, 0, 0), 1);
    VstMidiEvent note{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0x90), 60, 100, 0}, 0, 0, 0, 0};
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &events), 1);

    auto* in = reinterpret_cast<VstSpeakerArrangement*>(1);
    auto* out = reinterpret_cast<VstSpeakerArrangement*>(1);
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(Opcodes, ParameterQueriesOutsideTheHostListAnswerNeutrally) {
    int32_t count = host.effect()->numParams;
    EXPECT_EQ(host.parameterName(count), "");
    EXPECT_EQ(host.parameterDisplay(-1), "");
    EXPECT_FLOAT_EQ(host.getParameter(count), 0.0f);
    VstParameterProperties properties{};
    EXPECT_EQ(host.dispatch(effGetParameterProperties, count, 0, &properties), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, count), 0);
    host.setParameter(count, 0.5f);
    host.setParameter(-1, 0.5f);
}

} // namespace
