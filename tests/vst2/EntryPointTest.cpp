// The library's exports, called directly through the system's loader as a host would.
#include "utilities/PluginPath.h"
#include "vsthost/platform/PluginLibrary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace vst2;

namespace {

using Entry = AEffect* (*)(AudioMasterCallback);

VstIntPtr silentHost(AEffect*, int32_t, int32_t, VstIntPtr, void*, float) {
    return 0;
}
VstIntPtr plainHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct PluginListView {
    const void* const* items;
    int32_t count;
    int32_t capacity;
};

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        library = kavren::host::loadPluginLibrary(pluginPath(), error);
        ASSERT_NE(library, nullptr) << error;
    }
    void TearDown() override {
        if (library) kavren::host::unloadPluginLibrary(library);
    }
    template <class F> F symbol(const char* name) {
        return reinterpret_cast<F>(kavren::host::findLibraryEntry(library, name));
    }

    void* library = nullptr;
};

TEST_F(EntryPoints, BothEntryNamesCreateAnEffectForARealHost) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        auto entry = symbol<Entry>(name);
        ASSERT_NE(entry, nullptr) << name;
        AEffect* effect = entry(&plainHost);
        ASSERT_NE(effect, nullptr) << name;
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_EQ(effect->uniqueID, fourCC("Zqtk"));
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
}

TEST_F(EntryPoints, RefuseHostsWithoutVersionAndProgramArguments) {
    auto entry = symbol<Entry>("VSTPluginMain");
    EXPECT_EQ(entry(&silentHost), nullptr);
    // Started as a program, "main" would receive argc where the callback should be.
    auto asProgram = symbol<Entry>("main");
    EXPECT_EQ(asProgram(reinterpret_cast<AudioMasterCallback>(uintptr_t(1))), nullptr);
}

TEST_F(EntryPoints, PluginListIsOneSharedRecordRebuiltOnEveryCall) {
    auto getList = symbol<const PluginListView* (*)()>("getTessuPluginListPTR");
    ASSERT_NE(getList, nullptr);
    const PluginListView* first = getList();
    const PluginListView* second = getList();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->count, 1);
}

TEST_F(EntryPoints, SamplerInterfaceOfNothingIsNothing) {
    auto getSampler = symbol<void* (*)(void*)>("getSamplerInterface");
    ASSERT_NE(getSampler, nullptr);
    EXPECT_EQ(getSampler(nullptr), nullptr);
    auto create = symbol<void* (*)(void*, int32_t)>("createTessuInstance");
    ASSERT_NE(create, nullptr);
}

TEST_F(EntryPoints, InternalSymbolsStayHidden) {
    for (const char* hidden : {"_ZN5Tessu7TessuOS5resetEv", "_ZN5Tessu8TessuVSTC1EPFlPN4vst27AEffectEiilPvfE",
                               "_ZN7CKavren7processERN5Tessu14ProcessContextE"})
        EXPECT_EQ(symbol<void*>(hidden), nullptr) << hidden;
}

} // namespace
