// The LV2 build's state as hosts keep it: saved and restored through lilv, and the factory presets.
#include "dsp/CKavren.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "frame/lv2/TurtleBundle.h"
#include "lv2/LilvHost.h"

#include <gtest/gtest.h>
#include <lv2/state/state.h>
#include <serd/serd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct StateDeleter {
    void operator()(LilvState* state) const { lilv_state_free(state); }
};
using State = std::unique_ptr<LilvState, StateDeleter>;

// Moves every parameter port away from its default: switches and steps to their top, the rest inside their
// range. Switches go on because a state load clears a link amount whose link switch is off.
void moveEveryParameter(Lv2Instance& instance, const LilvPlugin* plugin) {
    std::vector<float> low(instance.portCount()), high(instance.portCount());
    lilv_plugin_get_port_ranges_float(plugin, low.data(), high.data(), nullptr);
    for (uint32_t i = Tessu::lv2::kFirstParameter; i < Tessu::lv2::kControl; ++i) {
        const float span = high[i] - low[i];
        float& value = instance.control(
            lilv_node_as_string(lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, i))));
        value = span <= 5.0f && span == float(int(span)) ? high[i] : low[i] + span * 0.37f;
    }
}

} // namespace

// Every parameter goes through a session save and load (the effect's state chunk carries all 49, the
// one hosts cannot see included); the restored instance saves exactly the same state again.
TEST(Lv2State, SavedStateRestoresEveryParameterInAFreshInstance) {
    LilvHost host;
    Lv2Instance original(host);
    moveEveryParameter(original, host.plugin());
    original.run();
    State saved(original.saveState());
    ASSERT_TRUE(saved);
    ASSERT_EQ(lilv_state_get_num_properties(saved.get()), 2u);

    char* text = lilv_state_to_string(host.world(), host.map(), host.unmap(), saved.get(), "urn:test:session",
                                      nullptr);
    State reloaded(lilv_state_new_from_string(host.world(), host.map(), text));
    std::free(text);
    ASSERT_TRUE(reloaded);

    // The ports' defaults are the values a new instance starts with: its first block moves nothing.
    Lv2Instance restored(host);
    State fresh(restored.saveState());
    restored.run();
    State freshAfterBlock(restored.saveState());
    EXPECT_TRUE(lilv_state_equals(fresh.get(), freshAfterBlock.get()));
    EXPECT_FALSE(lilv_state_equals(fresh.get(), saved.get()));
    restored.restore(reloaded.get());
    restored.run();
    State again(restored.saveState());
    EXPECT_TRUE(lilv_state_equals(again.get(), saved.get()));
}

// Hosts list the factory presets from the manifest and show their port values; the effect loads their
// chunks. Both must say the same: each preset's port values are the parameters its chunk sets, as ports
// carry them.
TEST(Lv2State, FactoryPresetPortsAgreeWithTheirChunks) {
    LilvHost host;
    const std::vector<std::string> presets = host.presetUris();
    ASSERT_EQ(presets.size(), 133u);
    CKavren effect(nullptr);
    LilvNode* stateProperty = lilv_new_uri(host.world(), LV2_STATE__state);
    LilvNode* chunkProperty = lilv_new_uri(host.world(), Tessu::lv2::kChunkUri);
    for (const std::string& uri : presets) {
        State preset(host.loadPreset(uri));
        ASSERT_TRUE(preset) << uri;
        EXPECT_STRNE(lilv_state_get_label(preset.get()), "") << uri;
        LilvNode* node = lilv_new_uri(host.world(), uri.c_str());
        LilvNode* state = lilv_world_get(host.world(), node, stateProperty, nullptr);
        LilvNode* text = state ? lilv_world_get(host.world(), state, chunkProperty, nullptr) : nullptr;
        ASSERT_NE(text, nullptr) << uri;
        size_t size = 0;
        void* chunk = serd_base64_decode(reinterpret_cast<const uint8_t*>(lilv_node_as_string(text)),
                                         std::strlen(lilv_node_as_string(text)), &size);
        effect.setPresetChunk(chunk, int32_t(size));
        serd_free(chunk);
        lilv_node_free(text);
        lilv_node_free(state);
        lilv_node_free(node);

        const std::map<std::string, float> ports = LilvHost::portValues(preset.get());
        ASSERT_EQ(ports.size(), 48u) << uri;
        for (int32_t i = 0; i < 48; ++i) {
            Tessu::ParameterProperty* parameter = effect.getHostParameter(i);
            const auto port = ports.find(Tessu::lv2::portSymbol(parameter->getKey()));
            ASSERT_NE(port, ports.end()) << uri << " " << parameter->getKey();
            EXPECT_EQ(port->second, Tessu::lv2::portValue(*parameter, parameter->getValue()))
                << uri << " " << parameter->getKey();
        }
    }
    lilv_node_free(chunkProperty);
    lilv_node_free(stateProperty);
}
