// Reading one value from the options an LV2 host passes (lv2:options feature), for the plug-in and its UI.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>

namespace Tessu::lv2 {

// The host's value for `keyUri` when it gives one of type `typeUri` and the size of T; `fallback` otherwise.
template <typename T>
T hostOption(const LV2_Options_Option* options, LV2_URID_Map* map, const char* keyUri, const char* typeUri,
             T fallback) {
    if (!options || !map) return fallback;
    const LV2_URID key = map->map(map->handle, keyUri);
    const LV2_URID type = map->map(map->handle, typeUri);
    for (const LV2_Options_Option* o = options; o->key; ++o)
        if (o->key == key && o->type == type && o->size == sizeof(T) && o->value) {
            T value;
            std::memcpy(&value, o->value, sizeof(T));
            return value;
        }
    return fallback;
}

} // namespace Tessu::lv2
