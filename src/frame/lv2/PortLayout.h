// What the LV2 bundle and the LV2 adapter agree on: the plug-in's URIs and the order of its ports. The
// Turtle files are generated from this and from the parameter table, so the two cannot drift apart.
#pragma once

#include <cstdint>

namespace Tessu::lv2 {

inline constexpr const char* kPluginUri = "urn:quillmark:kavren-xl";
// The state property that carries the effect's state chunk, and the prefix of the factory presets' URIs.
inline constexpr const char* kChunkUri = "urn:quillmark:kavren-xl#chunk";
// The state property with the parameter port values the plug-in had last applied when the state was saved.
inline constexpr const char* kAppliedPortsUri = "urn:quillmark:kavren-xl#appliedPorts";
inline constexpr const char* kPresetUriPrefix = "urn:quillmark:kavren-xl:preset:";
// The prefix of the URIs of the banks the factory presets are grouped in, one per category.
inline constexpr const char* kBankUriPrefix = "urn:quillmark:kavren-xl:bank:";
inline constexpr const char* kBinaryName = "kavren-xl.so";
// The editor as an X11 UI, in a library of its own: a host may load it in another process than the plug-in.
inline constexpr const char* kUiUri = "urn:quillmark:kavren-xl#ui";
inline constexpr const char* kUiBinaryName = "kavren-xl-ui.so";

// The parameter ports come first after the audio: hosts that number a plug-in's parameters by its control
// ports then use the VST 2.4 host indices, so automation lines up between the two formats.
enum Port : uint32_t {
    kInputLeft,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    // One control input per host parameter, in host index order.
    kFirstParameter,
    // atom:Sequence of time:Position objects; optional.
    kControl = kFirstParameter + 48,
    // lv2:enabled: 1 processes, 0 fades to bypass.
    kEnabled,
    // lv2:latency output.
    kLatency,
    kPortCount
};

} // namespace Tessu::lv2
