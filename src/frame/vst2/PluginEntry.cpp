// The library's exported entry points. Everything else in the library is hidden.
#include "core/ResourceStoreAccess.h"
#include "dsp/CKavren.h"
#if KAVREN_WITH_EDITOR
#include "editor/CKavrenEditor.h"
#include "editor/EditorBitmaps.h"
#endif
#include "frame/PluginDescriptor.h"
#include "frame/ProductInstance.h"
#include "frame/vst2/TessuVST.h"
#include "kavren_hidpi_artwork.h"
#include "kavren_resources.h"

#include <cstdint>
#include <mutex>
#include <new>

#ifdef _WIN32
#define KAVREN_EXPORT extern "C" // exported through exports.def
#else
#define KAVREN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Hosts pass a function pointer; a program started with this entry as its main passes argc.
bool looksLikeHostCallback(vst2::AudioMasterCallback audioMaster) {
    return reinterpret_cast<uintptr_t>(audioMaster) > 0xFFFF;
}

vst2::AEffect* createPlugin(vst2::AudioMasterCallback audioMaster) {
    if (!looksLikeHostCallback(audioMaster)) return nullptr;
    if (audioMaster(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* adapter = new (std::nothrow) Tessu::TessuVST(audioMaster);
    return adapter ? adapter->getAeffect() : nullptr;
}

} // namespace

KAVREN_EXPORT vst2::AEffect* VSTPluginMain(vst2::AudioMasterCallback audioMaster) {
    return createPlugin(audioMaster);
}

// Older hosts look the entry up as "main"; the C++ name main is reserved for programs.
KAVREN_EXPORT vst2::AEffect* legacyMain(vst2::AudioMasterCallback audioMaster) __asm__("main");
KAVREN_EXPORT vst2::AEffect* legacyMain(vst2::AudioMasterCallback audioMaster) {
    return createPlugin(audioMaster);
}

KAVREN_EXPORT Tessu::PluginList* getTessuPluginListPTR() {
    return Tessu::rebuildSharedPluginList();
}

KAVREN_EXPORT Tessu::TessuOS* createTessuInstance(Tessu::TessuCallback* callback, int32_t /*uniqueID*/) {
    // The files linked into the library (bitmaps, presets) are known before the first effect needs them;
    // every reader opens and closes the store around its own read.
    static std::once_flag storesRegistered;
    std::call_once(storesRegistered, [] {
        Core::setLinkedResources(kavren_resources_block());
#if KAVREN_WITH_EDITOR
        EditorBitmaps::registerHighResolutionStore(kavren_hidpi_artwork_block());
#endif
    });
#if KAVREN_WITH_EDITOR
    return Tessu::createRegisteredKavren(callback, CKavrenEditor::create);
#else
    return Tessu::createRegisteredKavren(callback, nullptr);
#endif
}

KAVREN_EXPORT ISamplerEffect* getSamplerInterface(Tessu::TessuOS* instance) {
    return dynamic_cast<ISamplerEffect*>(instance);
}
