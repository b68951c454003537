// What a format adapter needs from an effect's editor, whatever draws it.
#pragma once

#include <cstdint>

namespace Tessu {

// A caller's pixel buffer: 32-bit premultiplied BGRA, top-down rows `stride` bytes apart.
struct EditorPixels {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};

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
    // The host's display scale (1 = 100 %), announced before open; 0 or less: no host preference.
    virtual void setHostScale(float) {}
    // A scale chosen by the caller that wins over every other source (command-line tools); 0 releases it.
    virtual void setFixedScale(float) {}
    // Draws what the editor shows into `out` (its current size, see getSize) without a window system.
    virtual bool renderOffscreen(const EditorPixels&) { return false; }
    // Keeps the views that offscreen drawing uses alive between drawings, so that live displays (meters,
    // spectrum) follow audio processed meanwhile, as in an open editor; false lets them go.
    virtual void keepOffscreen(bool) {}
    // A left click at (x, y) editor pixels on the views kept for offscreen drawing; false without them.
    virtual bool clickOffscreen(int32_t, int32_t) { return false; }
};

} // namespace Tessu
