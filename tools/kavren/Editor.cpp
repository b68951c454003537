#include "kavren/Editor.h"

#include "frame/PluginEditor.h"
#include "gui/PngWriter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
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

void runEditorWindow(host::VstPluginHost& plugin, const std::string& title) {
    const EditorSize size = editorSize(plugin);
    Display* display = XOpenDisplay(nullptr);
    if (!display) throw std::runtime_error("no X display (is DISPLAY set?)");
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(size.width),
                            unsigned(size.height), 0, 0, BlackPixel(display, screen));
    XStoreName(display, window, title.c_str());
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = size.width;
    hints.min_height = hints.max_height = size.height;
    XSetWMNormalHints(display, window, &hints);
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
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

} // namespace kavren
