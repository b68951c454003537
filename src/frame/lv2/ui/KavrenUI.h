// The editor as an LV2 UI. The UI owns an effect of its own that never processes audio: it is only the
// parameter model the editor draws and edits. The host's port events set that model's parameters, and
// the editor's gestures go back to the host as writes to the plug-in's control ports, so the UI needs no
// access to the running plug-in and works when the host runs it in another process.
//
// The host's port events are applied together at the next idle call, as the plug-in applies the ports it
// finds moved at its next block. One moved port is a host's edit: it has the same consequences as in the
// plug-in (a linked cut-off follows, a filter-mode switch exchanges the filters). Several moved ports are
// a preset or a session the host restored: the plug-in took their values from the state it was given,
// so the model takes them as they are. The preset name shown is the factory preset the ports then equal;
// settings the host restored that equal none show kUnknownSettingsName, never the name of something else.
#pragma once

#include "frame/TessuCallback.h"
#include "frame/TessuOS.h"
#include "frame/lv2/TessuLV2.h"
#include "params/IPluginParameter.h"

#include <lv2/ui/ui.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tessu::lv2 {

// A factory preset as the host's ports show it.
struct PortPreset {
    std::string name;
    std::vector<float> ports;
};

inline constexpr const char* kUnknownSettingsName = "Custom";

// What the host gave the UI; resize and touch are optional (null when the host does not offer them).
struct UiHost {
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    // The host's display scale (ui:scaleFactor, 1 = 100 %), 0 when it does not say.
    float scale = 0.0f;
};

class KavrenUI : public TessuCallback, public ParameterChangeListener {
public:
    using Factory = TessuOS* (*)(TessuCallback* callback);
    // `presets` (the factory presets, outliving the UI) name the settings the host loads.
    KavrenUI(Factory factory, const UiHost& host, const std::vector<PortPreset>* presets = nullptr);
    ~KavrenUI() override;
    KavrenUI(const KavrenUI&) = delete;
    KavrenUI& operator=(const KavrenUI&) = delete;

    bool valid() const { return model_ && model_->getEditor(); }
    // Opens the editor inside the native window `parent` and answers the editor's native window, null on
    // failure.
    void* open(void* parent);
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // The host's idle call on its UI thread: the port events since the last call are applied, and the
    // editor handles events and draws. Answers nonzero once the editor is closed.
    int hostIdle();

    TessuOS* getModel() const { return model_.get(); }

    // TessuCallback: the model's gestures and size requests.
    int32_t beginEdit(int32_t hostIndex) override;
    int32_t endEdit(int32_t hostIndex) override;
    bool sizeWindow(int32_t width, int32_t height) override;
    bool canResizeWindow() override { return host_.resize && host_.resize->ui_resize; }

    void parameterChanged(IPluginParameter* parameter) override;

private:
    void touch(int32_t hostIndex, bool grabbed);
    void applyPortEvents();
    void nameHostSettings(int moved);
    const PortPreset* matchingPreset() const;

    UiHost host_;
    const std::vector<PortPreset>* presets_;
    std::unique_ptr<TessuOS> model_;
    // The last value of every parameter port, as the host reported it or the UI wrote it; and the values
    // reported since the last idle call, NaN for none.
    std::array<float, kParameterPorts> ports_{};
    std::array<float, kParameterPorts> reported_{};
    // Set while a port event is applied: the host already has that value.
    bool applyingPort_ = false;
    // The host index of the parameter under an open gesture, -1 when none. Only that parameter goes to the
    // host then: what the model derives from it (a linked cut-off, the settings a filter-mode switch
    // exchanges) the plug-in derives itself from the same port.
    int32_t gesture_ = -1;
};

} // namespace Tessu::lv2
