#include "lv2/LilvHost.h"

#include "frame/lv2/PortLayout.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

LilvHost::LilvHost() : world_(lilv_world_new()) {
    // Only the bundle under test and the LV2 specifications, whatever else is installed.
    LilvNode* path = lilv_new_string(world_, KAVREN_LV2_PATH ":/usr/lib/lv2");
    lilv_world_set_option(world_, LILV_OPTION_LV2_PATH, path);
    lilv_node_free(path);
    lilv_world_load_all(world_);
    LilvNode* uri = lilv_new_uri(world_, Tessu::lv2::kPluginUri);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    lilv_node_free(uri);
    if (!plugin_) throw std::runtime_error("the bundle under test is not found");
}

LilvHost::~LilvHost() {
    lilv_world_free(world_);
}

LV2_URID LilvHost::mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = static_cast<LilvHost*>(handle)->uris_;
    auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return LV2_URID(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return LV2_URID(uris.size());
}

const char* LilvHost::unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    auto& uris = static_cast<LilvHost*>(handle)->uris_;
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

std::vector<std::string> LilvHost::presetUris() const {
    LilvNode* presetClass = lilv_new_uri(world_, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(plugin_, presetClass);
    std::vector<std::string> uris;
    LILV_FOREACH(nodes, i, presets) uris.emplace_back(lilv_node_as_uri(lilv_nodes_get(presets, i)));
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    return uris;
}

LilvState* LilvHost::loadPreset(const std::string& uri) {
    LilvNode* node = lilv_new_uri(world_, uri.c_str());
    lilv_world_load_resource(world_, node);
    LilvState* state = lilv_state_new_from_world(world_, &map_, node);
    lilv_node_free(node);
    return state;
}

std::map<std::string, float> LilvHost::portValues(const LilvState* state) {
    std::map<std::string, float> values;
    lilv_state_emit_port_values(
        state,
        [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
            if (size == sizeof(float))
                (*static_cast<std::map<std::string, float>*>(data))[symbol] =
                    *static_cast<const float*>(value);
        },
        &values);
    return values;
}

Lv2Instance::Lv2Instance(LilvHost& host, double rate)
    : host_(host), instance_(lilv_plugin_instantiate(host.plugin(), rate, host.features())),
      controls_(lilv_plugin_get_num_ports(host.plugin())), audio_(4, std::vector<float>(kBlock)),
      sequence_(kSequenceBytes / sizeof(uint64_t)) {
    if (!instance_) throw std::runtime_error("the plug-in did not instantiate");
    std::vector<float> defaults(controls_.size());
    lilv_plugin_get_port_ranges_float(host.plugin(), nullptr, nullptr, defaults.data());
    for (uint32_t i = 0; i < controls_.size(); ++i) {
        controls_[i] = defaults[i];
        if (i < 4)
            lilv_instance_connect_port(instance_, i, audio_[i].data());
        else if (i == Tessu::lv2::kControl)
            lilv_instance_connect_port(instance_, i, sequence_.data());
        else
            lilv_instance_connect_port(instance_, i, &controls_[i]);
    }
    clearSequence();
    lilv_instance_activate(instance_);
}

Lv2Instance::~Lv2Instance() {
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

uint32_t Lv2Instance::index(const std::string& symbol) const {
    LilvNode* node = lilv_new_string(host_.world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(host_.plugin(), node);
    lilv_node_free(node);
    if (!port) throw std::out_of_range("no port " + symbol);
    return lilv_port_get_index(host_.plugin(), port);
}

const void* Lv2Instance::portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type) {
    auto* instance = static_cast<Lv2Instance*>(self);
    const uint32_t i = instance->index(symbol);
    // Only control inputs belong in a state; the latency output does not.
    if (i < Tessu::lv2::kFirstParameter || i == Tessu::lv2::kControl || i == Tessu::lv2::kLatency)
        return nullptr;
    *size = sizeof(float);
    *type = instance->host_.map()->map(instance->host_.map()->handle, LV2_ATOM__Float);
    return &instance->controls_[i];
}

void Lv2Instance::setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t) {
    auto* instance = static_cast<Lv2Instance*>(self);
    if (size == sizeof(float)) instance->control(symbol) = *static_cast<const float*>(value);
}

LilvState* Lv2Instance::saveState() {
    return lilv_state_new_from_instance(host_.plugin(), instance_, host_.map(), nullptr, nullptr, nullptr,
                                        nullptr, portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                        host_.features());
}

void Lv2Instance::restore(const LilvState* state) {
    lilv_state_restore(state, instance_, setPortValue, this, 0, host_.features());
}

void Lv2Instance::clearSequence() {
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(sequence_.data());
    sequence->atom.type = host_.map()->map(host_.map()->handle, LV2_ATOM__Sequence);
    sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence->body = {0, 0};
}

void Lv2Instance::sendPosition(double beatsPerMinute, float speed) {
    LV2_URID_Map* map = host_.map();
    auto uri = [map](const char* text) { return map->map(map->handle, text); };
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(sequence_.data()), kSequenceBytes);
    LV2_Atom_Forge_Frame sequenceFrame, objectFrame;
    lv2_atom_forge_sequence_head(&forge, &sequenceFrame, 0);
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &objectFrame, 0, uri(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, uri(LV2_TIME__frame));
    lv2_atom_forge_long(&forge, 0);
    lv2_atom_forge_key(&forge, uri(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, speed);
    lv2_atom_forge_key(&forge, uri(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_float(&forge, float(beatsPerMinute));
    lv2_atom_forge_key(&forge, uri(LV2_TIME__bar));
    lv2_atom_forge_long(&forge, 0);
    lv2_atom_forge_key(&forge, uri(LV2_TIME__barBeat));
    lv2_atom_forge_float(&forge, 0.0f);
    lv2_atom_forge_pop(&forge, &objectFrame);
    lv2_atom_forge_pop(&forge, &sequenceFrame);
}

void Lv2Instance::process(const float* left, const float* right, float* outLeft, float* outRight,
                          uint32_t frames) {
    std::memcpy(audio_[0].data(), left, frames * sizeof(float));
    std::memcpy(audio_[1].data(), right, frames * sizeof(float));
    run(frames);
    std::memcpy(outLeft, audio_[2].data(), frames * sizeof(float));
    std::memcpy(outRight, audio_[3].data(), frames * sizeof(float));
    clearSequence();
}
