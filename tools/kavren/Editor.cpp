#include "kavren/Editor.h"

#include "frame/PluginEditor.h"
#include "gui/PngWriter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kavren {
namespace {

using vst2::fourCC;

struct EditorSize {
    int width = 0;
    int height = 0;
};

EditorSize editorSize(host::VstPluginHost& plugin) {
    vst2::ERect* rect = nullptr;
    if (!plugin.dispatch(vst2::effEditGetRect, 0, 0, &rect) || !rect)
        throw std::runtime_error("the plug-in offers no editor");
    return {rect->right - rect->left, rect->bottom - rect->top};
}

// Offscreen drawings that stand in for the idle passes of an open editor.
class IdlePasses {
public:
    explicit IdlePasses(host::VstPluginHost& plugin) : plugin_(plugin) {
        const EditorSize size = editorSize(plugin);
        scratch_.resize(size_t(size.width) * size_t(size.height) * 4);
        pass_ = {scratch_.data(), size.width, size.height, size.width * 4};
        plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Live"), nullptr, 1.0f);
    }
    void run(int count = 1) {
        for (int i = 0; i < count; ++i)
            plugin_.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Snap"), &pass_);
    }

private:
    host::VstPluginHost& plugin_;
    std::vector<uint8_t> scratch_;
    Tessu::EditorPixels pass_;
};

} // namespace

void setEditorScale(host::VstPluginHost& plugin, double scale) {
    plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, float(scale));
}

void writeEditorSnapshot(host::VstPluginHost& plugin, const std::string& path) {
    const EditorSize size = editorSize(plugin);
    std::vector<uint8_t> pixels(size_t(size.width) * size_t(size.height) * 4);
    Tessu::EditorPixels out{pixels.data(), size.width, size.height, size.width * 4};
    if (!plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Snap"), &out))
        throw std::runtime_error("the editor could not draw itself");
    if (!Mirda::writePNGFile({pixels.data(), size.width, size.height, size.width * 4}, path))
        throw std::runtime_error("cannot write " + path);
}

void clickEditor(host::VstPluginHost& plugin, double x, double y, double scale) {
    IdlePasses passes(plugin);
    const int32_t at[2] = {int32_t(std::lround(x * scale)), int32_t(std::lround(y * scale))};
    if (!plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Clik"), const_cast<int32_t*>(at)))
        throw std::runtime_error("the editor does not take clicks offscreen");
    passes.run(8);
}

void playIntoEditor(host::VstPluginHost& plugin, const Audio& input) {
    IdlePasses passes(plugin);
    constexpr size_t kBlock = 512, kIdleEvery = 2048;
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outLeft.data(), outRight.data()};
    const std::vector<float>& inLeft = input.channels.at(0);
    const std::vector<float>& inRight = input.channels.size() > 1 ? input.channels[1] : inLeft;
    for (size_t at = 0; at < input.frames(); at += kBlock) {
        const size_t n = std::min(kBlock, input.frames() - at);
        std::copy_n(inLeft.begin() + long(at), n, left.begin());
        std::copy_n(inRight.begin() + long(at), n, right.begin());
        plugin.process(ins, outs, int32_t(n));
        if ((at + n) % kIdleEvery < kBlock) passes.run();
    }
}

void runEditorWindow(host::VstPluginHost& plugin, const std::string& title) {
    const EditorSize size = editorSize(plugin);
    Display* display = XOpenDisplay(nullptr);
    if (!display) throw std::runtime_error("no X display (is DISPLAY set?)");
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(size.width),
                            unsigned(size.height), 0, 0, BlackPixel(display, screen));
    XStoreName(display, window, title.c_str());
    // The window has the editor's size and no other; the editor asks for a new one when its scale changes.
    const auto fixSize = [&](int width, int height) {
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        XSetWMNormalHints(display, window, &hints);
        XResizeWindow(display, window, unsigned(width), unsigned(height));
    };
    fixSize(size.width, size.height);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XSync(display, False);

    if (!plugin.dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window))) {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
        throw std::runtime_error("the editor did not open");
    }
    plugin.onSizeWindow = [&](int32_t width, int32_t height) {
        if (width <= 0 || height <= 0) return false;
        fixSize(width, height);
        return true;
    };
    // The host's idle pump, as a DAW runs it on its GUI thread.
    for (bool open = true; open;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow) open = false;
        }
        plugin.dispatch(vst2::effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    plugin.dispatch(vst2::effEditClose);
    plugin.onSizeWindow = nullptr;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

} // namespace kavren
