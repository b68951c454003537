// The LV2 library's one exported entry point and the C functions behind the descriptor and the state
// interface. Everything else in the library is hidden.
#include "core/ResourceStoreAccess.h"
#include "frame/ProductInstance.h"
#include "frame/lv2/HostOptions.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/TessuLV2.h"
#include "kavren_resources.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <mutex>
#include <new>

namespace {

using Tessu::lv2::TessuLV2;

Tessu::TessuOS* createEffect(Tessu::TessuCallback* callback) {
    // The files linked into the library (presets) are known before the first effect needs them; every
    // reader opens and closes the store around its own read.
    static std::once_flag storeRegistered;
    std::call_once(storeRegistered, [] { Core::setLinkedResources(kavren_resources_block()); });
    // The editor lives in the UI library (ui/UiEntry.cpp); the plug-in itself never shows one.
    return Tessu::createRegisteredKavren(callback, nullptr);
}

// The host's largest run() from the options feature, 0 when it does not say.
int32_t maxBlockLength(const LV2_Options_Option* options, LV2_URID_Map* map) {
    return Tessu::lv2::hostOption<int32_t>(options, map, LV2_BUF_SIZE__maxBlockLength, LV2_ATOM__Int, 0);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        if (!std::strcmp(features[i]->URI, LV2_URID__map))
            map = static_cast<LV2_URID_Map*>(features[i]->data);
        if (!std::strcmp(features[i]->URI, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    if (!(sampleRate > 0.0)) return nullptr;
    auto* plugin = new (std::nothrow) TessuLV2(createEffect, sampleRate, map, maxBlockLength(options, map));
    if (plugin && !plugin->valid()) {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

TessuLV2* self(LV2_Handle instance) {
    return static_cast<TessuLV2*>(instance);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) {
    self(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance) {
    self(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames) {
    self(instance)->run(frames);
}

void cleanup(LV2_Handle instance) {
    delete self(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*) {
    return self(instance)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const*) {
    return self(instance)->restore(retrieve, handle);
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state{save, restore};
    return std::strcmp(uri, LV2_STATE__interface) ? nullptr : &state;
}

const LV2_Descriptor descriptor{
    Tessu::lv2::kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
