// The UI library's one exported entry point and the C functions behind the UI descriptor and its idle
// interface. Everything else in the library is hidden.
#include "core/ResourceStoreAccess.h"
#include "dsp/CKavren.h"
#include "editor/CKavrenEditor.h"
#include "editor/EditorBitmaps.h"
#include "frame/lv2/HostOptions.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "frame/lv2/ui/KavrenUI.h"
#include "kavren_ui_hidpi_artwork.h"
#include "kavren_ui_resources.h"
#include "presets/CFileFormat.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>

namespace {

using Tessu::lv2::KavrenUI;

// The model is a plain effect: it never processes, so it is not one of the instances the update service
// counts.
Tessu::TessuOS* createModel(Tessu::TessuCallback* callback) {
    static std::once_flag storesRegistered;
    std::call_once(storesRegistered, [] {
        Core::setLinkedResources(kavren_ui_resources_block());
        EditorBitmaps::registerHighResolutionStore(kavren_ui_hidpi_artwork_block());
    });
    return new (std::nothrow) CKavren(callback, CKavrenEditor::create);
}

// The factory presets linked into the library, as port values: worked out once, by a model of their own,
// when the first UI opens.
const std::vector<Tessu::lv2::PortPreset>& factoryPresets() {
    static const std::vector<Tessu::lv2::PortPreset> presets = [] {
        std::vector<Tessu::lv2::PortPreset> list;
        const std::unique_ptr<Tessu::TessuOS> model(createModel(nullptr));
        if (!model) return list;
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        {
            Core::ResourceStoreAccess access;
            for (int32_t i = 0; access.isOpen() && i < access.store().count(); ++i) {
                const std::string name = access.store().entryAt(i)->name;
                if (name.starts_with("presets/") && name.ends_with(".fxp"))
                    files.emplace_back(name, access.copy(name.c_str()));
            }
        }
        for (const auto& [name, bytes] : files) {
            const std::span<const uint8_t> chunk = Tessu::fxpFormat().decode(bytes);
            if (!chunk.empty())
                list.push_back({std::filesystem::path(name).stem().string(),
                                Tessu::lv2::portValuesOfChunk(*model, chunk)});
        }
        return list;
    }();
    return presets;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, Tessu::lv2::kPluginUri) || !widget) return nullptr;
    Tessu::lv2::UiHost host{write, controller, nullptr, nullptr};
    void* parent = nullptr;
    LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        const char* uri = features[i]->URI;
        if (!std::strcmp(uri, LV2_URID__map)) map = static_cast<LV2_URID_Map*>(features[i]->data);
        if (!std::strcmp(uri, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
        if (!std::strcmp(uri, LV2_UI__parent)) parent = features[i]->data;
        if (!std::strcmp(uri, LV2_UI__resize))
            host.resize = static_cast<const LV2UI_Resize*>(features[i]->data);
        if (!std::strcmp(uri, LV2_UI__touch)) host.touch = static_cast<const LV2UI_Touch*>(features[i]->data);
    }
    host.scale = Tessu::lv2::hostOption<float>(options, map, LV2_UI__scaleFactor, LV2_ATOM__Float, 0.0f);
    auto* ui = new (std::nothrow) KavrenUI(createModel, host, &factoryPresets());
    void* window = ui && ui->valid() ? ui->open(parent) : nullptr;
    if (!window) {
        delete ui;
        return nullptr;
    }
    *widget = window;
    return ui;
}

KavrenUI* self(LV2UI_Handle handle) {
    return static_cast<KavrenUI*>(handle);
}

void cleanup(LV2UI_Handle handle) {
    delete self(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    self(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) {
    return self(handle)->hostIdle();
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idleInterface{idle};
    return std::strcmp(uri, LV2_UI__idleInterface) ? nullptr : &idleInterface;
}

const LV2UI_Descriptor descriptor{Tessu::lv2::kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &descriptor : nullptr;
}
