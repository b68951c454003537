#include "gui/platform/x11/X11Frame.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/OptionMenu.h"
#include "gui/PopupMenu.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <functional>

using namespace Mirda;

namespace {

// One connection for the whole run: an X server resets when its last client leaves, and refuses
// connections while it does, so the tests never let the count drop to zero between them.
Display* sharedHostDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

struct X11FrameTest : ::testing::Test {
    Display* host = nullptr;
    Window parent = 0;
    Tessu::ParameterProperty param;
    CFrame* frame = nullptr;
    CFrameX11* platform = nullptr;
    Window window = 0;

    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no DISPLAY: run this test under xvfb-run -a";
        host = sharedHostDisplay();
        if (!host) GTEST_SKIP() << "cannot open DISPLAY " << display;
        int event, error, major, minor;
        if (!XTestQueryExtension(host, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTEST extension";
        // The host's window that the editor lives in.
        // Low enough on the screen that a 100-pixel upward drag stays on it.
        parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 150, 300, 200, 0, 0, 0);
        XMapWindow(host, parent);
        XSync(host, False);

        frame = new CFrame(CRect(0, 0, 200, 120));
        frame->setBackgroundColor(CColor{10, 200, 30, 255});
        auto* knob = new CKnob(CRect(50, 10, 100, 60));
        knob->bindParameter(&param);
        frame->addView(knob);
        platform = new CFrameX11(frame, parent);
        ASSERT_TRUE(platform->isOpen());
        frame->setPlatformFrame(platform);
        window = reinterpret_cast<Window>(platform->getPlatformHandle());
        pumpUntil([] { return false; });
    }

    void TearDown() override {
        if (platform) platform->release();
        if (frame) {
            frame->close();
            frame->release();
        }
        if (host && parent) {
            XDestroyWindow(host, parent);
            XSync(host, False);
        }
    }

    // Each round trip lets the server deliver what it queued for the editor's connection.
    void pumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 40 && !done(); ++i) {
            XSync(host, False);
            platform->pump();
        }
    }

    void clickAtRoot(const CPoint& p) {
        XTestFakeMotionEvent(host, -1, static_cast<int>(p.x), static_cast<int>(p.y), CurrentTime);
        XTestFakeButtonEvent(host, 1, True, CurrentTime);
        XTestFakeButtonEvent(host, 1, False, CurrentTime);
    }
    void tapKey(KeySym keysym) {
        const KeyCode code = XKeysymToKeycode(host, keysym);
        XTestFakeKeyEvent(host, code, True, CurrentTime);
        XTestFakeKeyEvent(host, code, False, CurrentTime);
    }
    unsigned long pixel(Window w, const CPoint& p) {
        XImage* image =
            XGetImage(host, w, static_cast<int>(p.x), static_cast<int>(p.y), 1, 1, AllPlanes, ZPixmap);
        const unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
        if (image) XDestroyImage(image);
        return pixel;
    }
    // An option menu with three entries beside the knob; the frame owns it.
    COptionMenu* addMenu() {
        auto* menu = new COptionMenu(CRect(110, 10, 190, 30));
        menu->addEntry("Low");
        menu->addEntry("Mid");
        menu->addEntry("High");
        menu->setCurrent(0);
        frame->addView(menu);
        return menu;
    }
    void clickMenu() {
        moveTo(150, 20);
        XTestFakeButtonEvent(host, 1, True, CurrentTime);
        XTestFakeButtonEvent(host, 1, False, CurrentTime);
        pumpUntil([&] { return platform->popupSession() != nullptr; });
    }

    void moveTo(int x, int y) {
        int rx, ry;
        Window child;
        XTranslateCoordinates(host, window, DefaultRootWindow(host), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(host, -1, rx, ry, CurrentTime);
    }
};

} // namespace

TEST_F(X11FrameTest, DragAndWheelThroughTheWindowSystemMoveTheBoundParameter) {
    moveTo(75, 35);
    XTestFakeButtonEvent(host, 1, True, CurrentTime);
    pumpUntil([] { return false; });
    moveTo(75, -65);
    XTestFakeButtonEvent(host, 1, False, CurrentTime);
    pumpUntil([&] { return param.getValue() >= 0.5f; });
    EXPECT_FLOAT_EQ(param.getValue(), 0.5f) << "100 pixels up are half the range";

    moveTo(75, 35);
    XTestFakeButtonEvent(host, 5, True, CurrentTime); // one notch towards the user
    XTestFakeButtonEvent(host, 5, False, CurrentTime);
    pumpUntil([&] { return param.getValue() < 0.45f; });
    EXPECT_NEAR(param.getValue(), 0.4f, 1e-6);
}

TEST_F(X11FrameTest, WindowShowsTheOffscreenPixels) {
    const auto pixelAt = [&](int x, int y) { return pixel(window, CPoint(x, y)); };
    // The server shows the window once mapped; the expose that follows repaints it.
    pumpUntil([&] { return pixelAt(5, 5) == 0x0AC81Eu; });
    EXPECT_EQ(pixelAt(5, 5), 0x0AC81Eu) << "the frame's background colour";
    EXPECT_NE(pixelAt(75, 35), 0x0AC81Eu) << "the knob is drawn over it";
}

TEST_F(X11FrameTest, PopupMenuOpensBelowTheControlAndAnswersPointerKeysAndOutsideClicks) {
    COptionMenu* menu = addMenu();
    clickMenu();
    const CPopupMenuSession* popup = platform->popupSession();
    ASSERT_NE(popup, nullptr);
    int rootX, rootY;
    Window child;
    XTranslateCoordinates(host, window, DefaultRootWindow(host), 110, 30, &rootX, &rootY, &child);
    EXPECT_EQ(popup->pane(0).rect.topLeft(), CPoint(rootX, rootY)) << "at the control's bottom-left";
    EXPECT_GE(popup->pane(0).rect.width(), 80) << "at least as wide as the control";
    const CPoint corner = popup->pane(0).rect.topLeft();
    pumpUntil([&] { return pixel(DefaultRootWindow(host), corner) == 0x6E7076u; });
    EXPECT_EQ(pixel(DefaultRootWindow(host), corner), 0x6E7076u) << "the popup window shows its border";

    const CRect high = popup->itemRect(0, 2);
    clickAtRoot(CPoint((high.left + high.right) / 2, (high.top + high.bottom) / 2));
    pumpUntil([&] { return platform->popupSession() == nullptr; });
    EXPECT_EQ(platform->popupSession(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 2) << "the clicked entry";

    menu->setCurrent(0);
    clickMenu();
    ASSERT_NE(platform->popupSession(), nullptr);
    tapKey(XK_Down);
    tapKey(XK_Down);
    tapKey(XK_Return);
    pumpUntil([&] { return platform->popupSession() == nullptr; });
    EXPECT_EQ(menu->getCurrentIndex(), 2) << "two steps down from the current entry";

    menu->setCurrent(0);
    clickMenu();
    ASSERT_NE(platform->popupSession(), nullptr);
    clickAtRoot(CPoint(5, 5));
    pumpUntil([&] { return platform->popupSession() == nullptr; });
    EXPECT_EQ(platform->popupSession(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 0) << "an outside click chooses nothing";
}
