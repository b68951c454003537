// window_grab: finds a viewable window of a given size anywhere on the X display, writes its pixels as a
// PNG and, given a reference image, compares them (the editor inside a real host against the offscreen
// snapshot of the same state).
//   window_grab WIDTH HEIGHT OUT.png [REFERENCE.png [MAX_MEAN_DIFFERENCE]]
// The default largest mean difference, 2 of 255, passes what a changed control or two leaves unchanged.
// Exit status: 0 found (and matching), 1 not found within 60 s or not matching, 2 usage.
#include "utilities/ReferenceImages.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0; // windows come and go while we walk the tree
}

Window findWindow(Display* display, Window window, int width, int height) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
        attributes.width == width && attributes.height == height && attributes.depth >= 24)
        return window;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) found = findWindow(display, children[i], width, height);
    if (children) XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr,
                     "usage: window_grab WIDTH HEIGHT OUT.png [REFERENCE.png [MAX_MEAN_DIFFERENCE]]\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_grab: no X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    Window window = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(window = findWindow(display, DefaultRootWindow(display), width, height)) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    if (!window) {
        std::fprintf(stderr, "window_grab: no %d x %d window appeared\n", width, height);
        return 1;
    }
    // Give the plug-in's idle passes time to paint the whole window.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "window_grab: cannot read the window\n");
        return 1;
    }
    KavrenTest::Image grabbed{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            uint8_t* out = &grabbed.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
            out[0] = uint8_t(p), out[1] = uint8_t(p >> 8), out[2] = uint8_t(p >> 16), out[3] = 255;
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    if (!KavrenTest::writeImage(grabbed, argv[3])) return 1;
    std::printf("window_grab: %d x %d window 0x%lx written to %s\n", width, height, window, argv[3]);
    if (argc == 4) return 0;

    const double mean = KavrenTest::compareImages(grabbed, KavrenTest::readImage(argv[4])).meanPerChannel;
    std::printf("window_grab: mean difference from %s: %.2f of 255\n", argv[4], mean);
    return mean < (argc == 6 ? std::atof(argv[5]) : 2.0) ? 0 : 1;
}
