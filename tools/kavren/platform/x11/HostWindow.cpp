#include "kavren/HostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kavren {
namespace {

class X11HostWindow : public HostWindow {
public:
    X11HostWindow(Display* display, const std::string& title, int width, int height) : display_(display) {
        const int screen = DefaultScreen(display);
        window_ = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                      unsigned(height), 0, 0, BlackPixel(display, screen));
        XStoreName(display, window_, title.c_str());
        resize(width, height);
        deleteWindow_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window_, &deleteWindow_, 1);
        XSelectInput(display, window_, StructureNotifyMask);
        XMapWindow(display, window_);
        XSync(display, False);
    }
    ~X11HostWindow() override {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    void* handle() const override { return reinterpret_cast<void*>(window_); }

    // The window has the editor's size and no other.
    void resize(int width, int height) override {
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        XSetWMNormalHints(display_, window_, &hints);
        XResizeWindow(display_, window_, unsigned(width), unsigned(height));
    }

    bool pump() override {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow_) closed_ = true;
        }
        return !closed_;
    }

private:
    Display* display_;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    bool closed_ = false;
};

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(const std::string& title, int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    return std::make_unique<X11HostWindow>(display, title, width, height);
}

} // namespace kavren
