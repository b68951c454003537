// What a format adapter needs from an effect's editor, whatever draws it.
#pragma once

#include <cstdint>

namespace Tessu {

struct EditorKey {
    int32_t character = 0;
    uint8_t virtualKey = 0;
    uint8_t modifiers = 0;
};

class IPluginEditor {
public:
    virtual ~IPluginEditor() = default;
    // left, top, right, bottom in pixels; false when the editor has no size to offer.
    virtual bool getSize(double rect[4]) = 0;
    // parent is the host's native window (an X11 Window id on Linux).
    virtual bool open(void* parent) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void idle() {}
    virtual int32_t onKeyDown(const EditorKey&) { return 0; }
    virtual int32_t onKeyUp(const EditorKey&) { return 0; }
    virtual bool onWheel(float) { return false; }
};

} // namespace Tessu
