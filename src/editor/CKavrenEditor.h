// The effect's editor window: 534 x 488 pixels.
#pragma once

#include "frame/PluginEditor.h"

class CKavren;

class CKavrenEditor : public Tessu::IPluginEditor {
public:
    static constexpr int kWidth = 534;
    static constexpr int kHeight = 488;

    explicit CKavrenEditor(CKavren* effect) : effect_(effect) {}

    bool getSize(double rect[4]) override;
    // The window itself is not drawn yet: opening declines, so hosts keep their generic view.
    bool open(void* parent) override;
    void close() override {}
    bool isOpen() const override { return false; }

private:
    [[maybe_unused]] CKavren* effect_;
};
