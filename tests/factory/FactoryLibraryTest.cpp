// The factory library as a whole: what the plug-in lists, that every preset loads and saves through the
// host's chunk calls unchanged, that no two presets are the same, and that each holds what its readable
// source says.
#include "factory/FactoryPresets.h"

#include "core/ResourceStoreAccess.h"
#include "kavren/PresetLibrary.h"
#include "presets/CPresetInterface.h"
#include "utilities/TempFolder.h"

#include "params/UserValueText.h"
#include "presetc/PresetSource.h"
#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <strings.h>

namespace factory {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, size_t> kCategorySizes = {
    {"Envelope", 14},        {"Filter", 12}, {"LFO", 16},     {"Multi FX", 21},
    {"New 1.2 Presets", 43}, {"Phaser", 14}, {"Ringmod", 12},
};

TEST(FactoryLibrary, ListsTheInitPresetAndEveryCategoryWithItsSize) {
    std::map<std::string, size_t> sizes;
    bool init = false;
    for (const FactoryPreset& p : factoryPresets()) {
        if (p.name == "Init Preset")
            init = true;
        else
            ++sizes[p.category];
    }
    EXPECT_TRUE(init);
    EXPECT_EQ(sizes, kCategorySizes);
}

// The library's own store, as the plug-in registers it, restored into an empty folder.
TEST(FactoryLibrary, RestoringFromTheLibrarysStoreWritesEveryPreset) {
    const kavren::PresetLibrary carried(pluginPath());
    KavrenTest::TempFolder folder;
    Core::setLinkedResources(carried.store());
    Tessu::CPresetInterface(folder.path(), nullptr, nullptr).restoreFactoryPresets();
    Core::setLinkedResources({});
    EXPECT_EQ(KavrenTest::filesUnder(folder.path()).size(), 133u);
    for (const std::string& name : carried.names()) EXPECT_TRUE(fs::exists(folder / (name + ".fxp"))) << name;
}

TEST(FactoryLibrary, EveryPresetIsDescribedInTheGuide) {
    std::ifstream in(KAVREN_PRESET_GUIDE);
    ASSERT_TRUE(in) << KAVREN_PRESET_GUIDE;
    std::stringstream text;
    text << in.rdbuf();
    for (const FactoryPreset& p : factoryPresets()) {
        if (p.category.empty()) continue;
        // A table row: | Category | Name | what it does |
        const std::string title = p.name.substr(p.category.size() + 1);
        EXPECT_NE(text.str().find("| " + p.category + " | " + title + " |"), std::string::npos) << p.name;
    }
}

TEST(FactoryLibrary, EveryPresetLoadsAndSavesThroughTheHostChunkUnchanged) {
    kavren::host::VstPluginHost first(pluginPath()), second(pluginPath());
    first.start(float(kSampleRate), 512);
    second.start(float(kSampleRate), 512);
    for (const FactoryPreset& p : factoryPresets()) {
        SCOPED_TRACE(p.name);
        first.setChunk(p.chunk, true);
        const std::vector<uint8_t> saved = first.getChunk(true);
        ASSERT_FALSE(saved.empty());
        second.setChunk(saved, true);
        for (int32_t i = 0; i < second.effect()->numParams; ++i)
            EXPECT_EQ(second.getParameter(i), p.normalized[size_t(i)]) << "host parameter " << i;
        EXPECT_EQ(second.getChunk(true), saved);
        EXPECT_EQ(second.getChunk(false), saved) << "bank requests carry the same state";
    }
}

TEST(FactoryLibrary, NoTwoPresetsHoldTheSameSettings) {
    const std::vector<FactoryPreset>& presets = factoryPresets();
    for (size_t a = 0; a < presets.size(); ++a) {
        for (size_t b = a + 1; b < presets.size(); ++b) {
            float largest = 0.0f;
            for (size_t i = 0; i < presets[a].normalized.size(); ++i)
                largest = std::max(largest, std::fabs(presets[a].normalized[i] - presets[b].normalized[i]));
            EXPECT_GT(largest, 1e-3f) << presets[a].name << " and " << presets[b].name;
        }
    }
}

// Each "KEY = VALUE" line, read as the preset compiler reads it, is the value the plug-in holds after
// loading the preset: catches lines whose effect a later line undoes (a mode switch exchanging the two
// filters, a filter link moving the other cut-off) and LFO divisions that come out as another one.
TEST(FactoryLibrary, EveryPresetHoldsWhatItsSourceSays) {
    Tessu::CPropertyManager table;
    createKavrenParameters(table, nullptr);
    std::map<std::string, const FactoryPreset*> byName;
    for (const FactoryPreset& p : factoryPresets()) byName[p.name] = &p;
    size_t sources = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(KAVREN_PRESET_SOURCES)) {
        if (e.path().extension() != ".preset") continue;
        ++sources;
        std::string name = fs::relative(e.path(), KAVREN_PRESET_SOURCES).replace_extension().generic_string();
        SCOPED_TRACE(name);
        ASSERT_TRUE(byName.count(name));
        const FactoryPreset& preset = *byName[name];
        for (const presetc::Setting& s : presetc::readPresetSource(e.path().string())) {
            Tessu::ParameterProperty* p = table.findParameterByKey(s.key.c_str());
            ASSERT_NE(p, nullptr) << s.key;
            float plain = 0.0f;
            ASSERT_TRUE(Tessu::parseUserValue(*p, s.value, plain)) << s.key << " = " << s.value;
            p->setValue(plain);
            if (p->getHostIndex() < 0) continue;
            if (p->getId() == kLfoRate && s.value.find('/') != std::string::npos)
                EXPECT_EQ(strcasecmp(preset.rateText.c_str(), s.value.c_str()), 0) << preset.rateText;
            else
                EXPECT_NEAR(preset.value(KavrenParameterId(p->getId())), p->getValue(),
                            1e-3 * (p->getMaximum() - p->getMinimum()))
                    << "line " << s.line << ": " << s.key << " = " << s.value;
        }
        for (int32_t id = 0; id < kParameterCount; ++id) table.findParameterById(id)->resetToDefault();
    }
    EXPECT_EQ(sources, factoryPresets().size());
}

} // namespace
} // namespace factory
