// Adapts the effect's format-neutral editor to the VST 2.4 editor requests. Idle requests drive the
// process-wide idle list, which gives every open editor its idle pass every 25 ms.
#pragma once

#include "frame/IdleList.h"
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
    void idle() { IdleList::instance().pump(); }
    int32_t onKeyDown(const vst2::VstKeyCode& key) { return editor_->onKeyDown(toEditorKey(key)); }
    int32_t onKeyUp(const vst2::VstKeyCode& key) { return editor_->onKeyUp(toEditorKey(key)); }
    bool onWheel(float distance) { return editor_->onWheel(distance); }
    void setHostScale(float scale) { editor_->setHostScale(scale); }
    void setFixedScale(float scale) { editor_->setFixedScale(scale); }
    bool renderOffscreen(const EditorPixels& out) { return editor_->renderOffscreen(out); }
    void keepOffscreen(bool keep) { editor_->keepOffscreen(keep); }
    bool clickOffscreen(int32_t x, int32_t y) { return editor_->clickOffscreen(x, y); }

private:
    static EditorKey toEditorKey(const vst2::VstKeyCode& key) {
        return {key.character, key.virt, key.modifier};
    }

    IPluginEditor* editor_;
    vst2::ERect rect_{};
};

} // namespace Tessu
