// mirda-demo: a window with one of each Mirda control bound to test parameters.
//   mirda-demo                    open a top-level window
//   mirda-demo --snapshot out.png render the window offscreen to a PNG, no display needed

#include "DemoScene.h"

#include "gui/DrawContext.h"
#include "gui/PlatformWindow.h"
#include "gui/PngWriter.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace Mirda;

static int snapshot(const char* path) {
    DemoParameters params;
    CFrame* frame = buildDemoFrame(params);
    COwnedPixelBuffer buffer(static_cast<int32_t>(frame->getViewSize().width()),
                             static_cast<int32_t>(frame->getViewSize().height()));
    auto* context = new CDrawContext(buffer.desc());
    frame->renderAll(context);
    context->release();
    frame->close();
    frame->release();
    if (!writePNGFile(buffer.desc(), path)) {
        std::fprintf(stderr, "mirda-demo: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

static int runWindow() {
    DemoParameters params;
    CFrame* frame = buildDemoFrame(params);
    IPlatformWindow* window = openPlatformWindow(frame, nullptr, "Mirda demo");
    if (!window) {
        std::fprintf(stderr, "mirda-demo: cannot open a window\n");
        frame->release();
        return 1;
    }
    frame->setPlatformFrame(window);
    // Stands in for the host's idle calls.
    while (!window->closeRequested()) {
        window->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    window->release();
    frame->close();
    frame->release();
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--snapshot") == 0) return snapshot(argv[2]);
    if (argc != 1) {
        std::fprintf(stderr, "usage: mirda-demo [--snapshot out.png]\n");
        return 2;
    }
    return runWindow();
}
