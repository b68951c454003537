// The editor inside a host's window under a real X server (Xvfb in CI), driven only through the plug-in's
// binary interface: open, idle, close, mouse gestures and host-side parameter changes.
#include "vst2/PluginPath.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

int g_xErrors = 0;
int countXError(Display*, XErrorEvent*) {
    ++g_xErrors;
    return 0;
}

// One connection for the whole run: the X server resets when its last client leaves.
Display* hostDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

struct EditorWindow : ::testing::Test {
    Display* x = nullptr;
    std::vector<Window> parents;

    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) GTEST_SKIP() << "no DISPLAY: run this test under xvfb-run -a";
        x = hostDisplay();
        if (!x) GTEST_SKIP() << "cannot open DISPLAY " << name;
        int event, error, major, minor;
        if (!XTestQueryExtension(x, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTEST extension";
        XSetErrorHandler(countXError);
        g_xErrors = 0;
    }

    void TearDown() override {
        for (Window parent : parents) XDestroyWindow(x, parent);
        if (x) XSync(x, False);
    }

    // The window a host makes for the editor.
    Window makeParent(int left) {
        const Window parent = XCreateSimpleWindow(x, DefaultRootWindow(x), left, 0, 600, 520, 0, 0, 0);
        XMapWindow(x, parent);
        XSync(x, False);
        parents.push_back(parent);
        return parent;
    }

    std::vector<Window> children(Window parent) {
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        XSync(x, False);
        XQueryTree(x, parent, &root, &up, &list, &count);
        std::vector<Window> result(list, list + count);
        if (list) XFree(list);
        return result;
    }

    // Idles the editors as a host does until `done` holds (or two seconds pass).
    bool idleUntil(const std::vector<VstPluginHost*>& hosts, const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            XSync(x, False);
            for (VstPluginHost* host : hosts) host->dispatch(effEditIdle);
            if (done()) return true;
            std::this_thread::yield();
        }
        return done();
    }

    // The pixel at (px, py) of `window` as 0xRRGGBB.
    unsigned long pixel(Window window, int px, int py) {
        XImage* image = XGetImage(x, window, px, py, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    }

    std::vector<unsigned long> pixels(Window window, int left, int top, int width, int height) {
        std::vector<unsigned long> result;
        XImage* image =
            XGetImage(x, window, left, top, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (!image) return result;
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) result.push_back(XGetPixel(image, px, py) & 0xFFFFFF);
        XDestroyImage(image);
        return result;
    }
};

TEST_F(EditorWindow, OpensAMappedChildOfItsSizeThatPaintsAndGoesAwayOnClose) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, 1.0f);
    const Window parent = makeParent(0);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    const std::vector<Window> made = children(parent);
    ASSERT_EQ(made.size(), 1u);
    XWindowAttributes attributes{};
    XGetWindowAttributes(x, made[0], &attributes);
    EXPECT_EQ(attributes.width, 534);
    EXPECT_EQ(attributes.height, 488);
    EXPECT_EQ(attributes.map_state, IsViewable);
    // The window starts black; the idle pass paints the panel.
    EXPECT_TRUE(idleUntil({&host}, [&] { return pixel(made[0], 5, 100) != 0; }));
    host.dispatch(effEditClose);
    EXPECT_TRUE(children(parent).empty());
    EXPECT_EQ(g_xErrors, 0);
}

TEST_F(EditorWindow, SurvivesAHundredOpenCloseCycles) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    const Window parent = makeParent(0);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1) << i;
        host.dispatch(effEditIdle);
        host.dispatch(effEditClose);
    }
    EXPECT_TRUE(children(parent).empty());
    EXPECT_EQ(g_xErrors, 0);
}

TEST_F(EditorWindow, TwoInstancesOpenSideBySide) {
    VstPluginHost first(pluginPath()), second(pluginPath());
    first.start(44100.0f, 512);
    second.start(44100.0f, 512);
    const Window left = makeParent(0), right = makeParent(620);
    ASSERT_EQ(first.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(left)), 1);
    ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(right)), 1);
    const Window a = children(left).at(0), b = children(right).at(0);
    // Only the first host idles: the idle list still gives both editors their pass.
    EXPECT_TRUE(idleUntil({&first}, [&] { return pixel(a, 5, 100) != 0 && pixel(b, 5, 100) != 0; }));
    EXPECT_EQ(pixel(a, 5, 100), pixel(b, 5, 100));
    first.dispatch(effEditClose);
    EXPECT_TRUE(children(left).empty());
    EXPECT_EQ(children(right).size(), 1u);
    second.dispatch(effEditClose);
    EXPECT_EQ(g_xErrors, 0);
}

struct EditorGestures : EditorWindow {
    std::unique_ptr<VstPluginHost> host;
    Window editor = 0;

    void SetUp() override {
        EditorWindow::SetUp();
        if (IsSkipped()) return;
        host = std::make_unique<VstPluginHost>(pluginPath());
        host->start(44100.0f, 512);
        host->dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, 1.0f);
        const Window parent = makeParent(0);
        ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        editor = children(parent).at(0);
        ASSERT_TRUE(idleUntil({host.get()}, [&] { return pixel(editor, 5, 100) != 0; }));
    }

    void TearDown() override {
        if (host) host->dispatch(effEditClose);
        host.reset();
        EditorWindow::TearDown();
    }
};

TEST_F(EditorGestures, DraggingADialSendsBeginAutomateEndInOrder) {
    // The input gain dial: 87 pixels at (15, 221), host index 0. Grab its ring, drag up 60 pixels.
    const float before = host->getParameter(0);
    host->clearAutomation();
    XTestFakeMotionEvent(x, -1, 15 + 10, 221 + 43, CurrentTime);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    for (int step = 1; step <= 6; ++step) {
        XTestFakeMotionEvent(x, -1, 15 + 10, 221 + 43 - 10 * step, CurrentTime);
        // The press begins the gesture and the first move only anchors it: one message per step.
        idleUntil({host.get()}, [&] { return host->edits().size() >= size_t(step); });
    }
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    ASSERT_TRUE(idleUntil({host.get()}, [&] {
        return !host->edits().empty() && host->edits().back().opcode == audioMasterEndEdit;
    }));
    const auto& edits = host->edits();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(edits.front().index, 0);
    float last = before;
    for (size_t i = 1; i + 1 < edits.size(); ++i) {
        EXPECT_EQ(edits[i].opcode, audioMasterAutomate) << i;
        EXPECT_EQ(edits[i].index, 0) << i;
        EXPECT_GT(edits[i].value, last) << i; // dragging up turns the dial up
        last = edits[i].value;
    }
    EXPECT_EQ(edits.back().index, 0);
    EXPECT_FLOAT_EQ(host->getParameter(0), last);
}

TEST_F(EditorGestures, AModuleWindowOpensByItsTabAndItsMiniDialsDrag) {
    // The Envelope tab hangs from the display's top edge at (114, 53)-(266, 68); its first dial,
    // "LP Attack" (host index 12), lies at (69, 69)-(162, 81) once the window is open.
    const auto closed = pixels(editor, 69, 69, 93, 12);
    XTestFakeMotionEvent(x, -1, 190, 60, CurrentTime);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    ASSERT_TRUE(idleUntil({host.get()}, [&] { return pixels(editor, 69, 69, 93, 12) != closed; }));
    const float before = host->getParameter(12);
    host->clearAutomation();
    XTestFakeMotionEvent(x, -1, 115, 75, CurrentTime);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    for (int step = 1; step <= 3; ++step) {
        XTestFakeMotionEvent(x, -1, 115, 75 - 10 * step, CurrentTime);
        idleUntil({host.get()}, [&] { return host->edits().size() >= size_t(step); });
    }
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    ASSERT_TRUE(idleUntil({host.get()}, [&] {
        return !host->edits().empty() && host->edits().back().opcode == audioMasterEndEdit;
    }));
    EXPECT_EQ(host->edits().front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(host->edits().front().index, 12);
    EXPECT_GT(host->getParameter(12), before);
}

TEST_F(EditorGestures, AHostParameterChangeShowsAfterTheNextIdle) {
    // The low-pass cut-off dial at (15, 336): its ring and value label change with host index 1.
    const auto before = pixels(editor, 15, 336, 87, 87);
    host->setParameter(1, 0.2f);
    EXPECT_TRUE(idleUntil({host.get()}, [&] { return pixels(editor, 15, 336, 87, 87) != before; }));
}

} // namespace
