// Adapts the effect's format-neutral editor to the VST 2.4 editor requests.
#pragma once

#include "frame/PluginEditor.h"
#include "frame/vst2/VstAbi.h"

namespace Tessu {

class CTessuVST2_Editor {
public:
    explicit CTessuVST2_Editor(IPluginEditor* editor) : editor_(editor) {}

    // Always answers a valid rectangle, before and after open; 100 x 100 when the editor offers none.
    bool getRect(vst2::ERect** rect);
    bool open(void* parent);
    void close();
    bool isOpen() const { return editor_->isOpen(); }
    void idle() { editor_->idle(); }
    int32_t onKeyDown(const vst2::VstKeyCode& key) { return editor_->onKeyDown(toEditorKey(key)); }
    int32_t onKeyUp(const vst2::VstKeyCode& key) { return editor_->onKeyUp(toEditorKey(key)); }
    bool onWheel(float distance) { return editor_->onWheel(distance); }

private:
    static EditorKey toEditorKey(const vst2::VstKeyCode& key) {
        return {key.character, key.virt, key.modifier};
    }

    IPluginEditor* editor_;
    vst2::ERect rect_{};
};

} // namespace Tessu
