#include "gui/platform/x11/X11Frame.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/OptionMenu.h"
#include "gui/PopupMenu.h"
#include "gui/TextEdit.h"
#include "gui/platform/x11/X11Keys.h"
#include "utilities/XvfbServer.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using namespace Mirda;

namespace {

// Hosts set their locale at start-up; the input method follows it.
const bool g_hostLocale = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;

constexpr uint32_t kBackground = 0x0AC81E; // the editor's background colour as 0xRRGGBB

// One connection for the whole run: an X server resets when its last client leaves, and refuses
// connections while it does, so the tests never let the count drop to zero between them.
Display* sharedHostDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

// A second server with a 16-bit screen, started on first use and stopped when the run ends.
class SixteenBitServer {
public:
    static SixteenBitServer& instance() {
        static SixteenBitServer server;
        return server;
    }
    Display* host() const { return m_host; }
    const std::string& name() const { return m_server.name(); }

    ~SixteenBitServer() {
        if (m_host) XCloseDisplay(m_host);
    }

private:
    SixteenBitServer() {
        if (!name().empty()) m_host = XOpenDisplay(name().c_str());
    }

    KavrenTest::XvfbServer m_server{"800x600x16"};
    Display* m_host = nullptr;
};

// The colour the server shows at a point of a window, as 0xRRGGBB in 8-bit channels.
uint32_t shownColour(Display* display, Window window, int x, int y) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    const auto channel = [pixel](unsigned long mask) {
        const int shift = __builtin_ctzl(mask), bits = __builtin_popcountl(mask);
        return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / ((1ul << bits) - 1));
    };
    const Visual* visual = attributes.visual;
    return channel(visual->red_mask) << 16 | channel(visual->green_mask) << 8 | channel(visual->blue_mask);
}

// An editor, a frame with a background colour and a knob, opened inside `parent`; `displayName`
// selects another server than DISPLAY.
struct Editor {
    Display* host;
    Tessu::ParameterProperty param;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 120));
    CFrameX11* platform = nullptr;
    Window window = 0;

    Editor(Display* hostDisplay, Window parent, const std::string& displayName = {}) : host(hostDisplay) {
        frame->setBackgroundColor(CColor{10, 200, 30, 255});
        auto* knob = new CKnob(CRect(50, 10, 100, 60));
        knob->bindParameter(&param);
        frame->addView(knob);
        const std::string display = std::getenv("DISPLAY");
        if (!displayName.empty()) setenv("DISPLAY", displayName.c_str(), 1);
        platform = new CFrameX11(frame, parent);
        setenv("DISPLAY", display.c_str(), 1);
        if (!platform->isOpen()) return;
        frame->setPlatformFrame(platform);
        window = reinterpret_cast<Window>(platform->getPlatformHandle());
        pumpUntil([] { return false; });
    }
    ~Editor() {
        platform->release();
        frame->close();
        frame->release();
    }

    // Each round trip lets the server deliver what it queued for the editor's connection.
    void pumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 40 && !done(); ++i) {
            XSync(host, False);
            platform->pump();
        }
    }
    uint32_t colourAt(int x, int y) { return shownColour(host, window, x, y); }
};

// Equal colours, within the precision of a 16-bit screen (5 or 6 bits per channel).
::testing::AssertionResult nearColour(uint32_t actual, uint32_t expected) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) -
                     static_cast<int>((expected >> shift) & 0xFF)) > 8)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not 0x" << expected;
    return ::testing::AssertionSuccess();
}

void expectShowsItsPixels(Editor& editor) {
    // The server shows the window once mapped; the expose that follows repaints it.
    editor.pumpUntil([&] { return static_cast<bool>(nearColour(editor.colourAt(5, 5), kBackground)); });
    EXPECT_TRUE(nearColour(editor.colourAt(5, 5), kBackground)) << "the frame's background colour";
    EXPECT_FALSE(nearColour(editor.colourAt(75, 35), kBackground)) << "the knob is drawn over it";
}

int g_hostErrors = 0;
int countHostError(Display*, XErrorEvent*) {
    ++g_hostErrors;
    return 0;
}

struct X11FrameTest : ::testing::Test {
    Display* host = nullptr;
    Window parent = 0;
    std::unique_ptr<Editor> editor;
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
        XSetInputFocus(host, PointerRoot, RevertToPointerRoot, CurrentTime);
        editor = std::make_unique<Editor>(host, parent);
        ASSERT_TRUE(editor->platform->isOpen());
        frame = editor->frame;
        platform = editor->platform;
        window = editor->window;
    }

    void TearDown() override {
        editor.reset();
        if (host && parent) {
            XDestroyWindow(host, parent);
            XSync(host, False);
        }
    }

    Tessu::ParameterProperty& param() { return editor->param; }
    void pumpUntil(const std::function<bool()>& done) { editor->pumpUntil(done); }

    void clickAtRoot(const CPoint& p) {
        XTestFakeMotionEvent(host, -1, static_cast<int>(p.x), static_cast<int>(p.y), CurrentTime);
        XTestFakeButtonEvent(host, 1, True, CurrentTime);
        XTestFakeButtonEvent(host, 1, False, CurrentTime);
    }
    void tapKeycode(unsigned int code) {
        XTestFakeKeyEvent(host, code, True, CurrentTime);
        XTestFakeKeyEvent(host, code, False, CurrentTime);
    }
    void tapKey(KeySym keysym) { tapKeycode(XKeysymToKeycode(host, keysym)); }
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
    // A preset-name field below the knob, opened with a click; its endings go to `endings`.
    Mirda_TextEdit* openTextEdit(std::vector<int32_t>& endings) {
        auto* edit = new Mirda_TextEdit(CRect(10, 80, 190, 100), nullptr, 0, "Init");
        edit->setEndCallback([&endings](Mirda_TextEdit*, int32_t flag) { endings.push_back(flag); });
        frame->addView(edit);
        moveTo(100, 90);
        XTestFakeButtonEvent(host, 1, True, CurrentTime);
        XTestFakeButtonEvent(host, 1, False, CurrentTime);
        pumpUntil([&] { return edit->isEditing() && hasFocus(); });
        return edit;
    }
    bool hasFocus() {
        Window focus;
        int revert;
        XGetInputFocus(host, &focus, &revert);
        return focus == window;
    }
    // True when the host's window receives a key press (since the last call) within a few passes.
    bool hostGetsKey() {
        bool got = false;
        pumpUntil([&] {
            XEvent event;
            while (XCheckWindowEvent(host, parent, KeyPressMask, &event)) got = true;
            return got;
        });
        return got;
    }

    void moveTo(int x, int y) {
        int rx, ry;
        Window child;
        XTranslateCoordinates(host, window, DefaultRootWindow(host), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(host, -1, rx, ry, CurrentTime);
    }
};

// A key code with no symbols, which the tests map to the symbols they need.
KeyCode spareKeycode(Display* display) {
    int min = 0, max = 0, perCode = 0;
    XDisplayKeycodes(display, &min, &max);
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(min), max - min + 1, &perCode);
    KeyCode spare = 0;
    for (int code = max; code >= min && !spare; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i) empty = empty && map[(code - min) * perCode + i] == NoSymbol;
        if (empty) spare = static_cast<KeyCode>(code);
    }
    XFree(map);
    return spare;
}

} // namespace

TEST(X11Keys, PrintIsThePrintScreenKey) {
    EXPECT_EQ(virtualKeyFromKeysym(XK_Print), VKEY_SNAPSHOT);
}

TEST_F(X11FrameTest, DragAndWheelThroughTheWindowSystemMoveTheBoundParameter) {
    moveTo(75, 35);
    XTestFakeButtonEvent(host, 1, True, CurrentTime);
    pumpUntil([] { return false; });
    moveTo(75, -65);
    XTestFakeButtonEvent(host, 1, False, CurrentTime);
    pumpUntil([&] { return param().getValue() >= 0.5f; });
    EXPECT_FLOAT_EQ(param().getValue(), 0.5f) << "100 pixels up are half the range";

    moveTo(75, 35);
    XTestFakeButtonEvent(host, 5, True, CurrentTime); // one notch towards the user
    XTestFakeButtonEvent(host, 5, False, CurrentTime);
    pumpUntil([&] { return param().getValue() < 0.45f; });
    EXPECT_NEAR(param().getValue(), 0.4f, 1e-6);
}

TEST_F(X11FrameTest, QueuedMotionIsNotMovedAheadOfAButton) {
    // Queued together: the press must stay ahead of the moves that follow it.
    moveTo(75, 35);
    XTestFakeButtonEvent(host, 1, True, CurrentTime);
    moveTo(75, -15);
    moveTo(75, -65);
    XTestFakeButtonEvent(host, 1, False, CurrentTime);
    pumpUntil([&] { return param().getValue() > 0; });
    EXPECT_FLOAT_EQ(param().getValue(), 0.5f) << "the drag saw the 100 pixels";
}

TEST_F(X11FrameTest, WindowShowsTheOffscreenPixelsWhateverTheParentsDepth) {
    expectShowsItsPixels(*editor);

    XVisualInfo argb{};
    if (XMatchVisualInfo(host, DefaultScreen(host), 32, TrueColor, &argb)) {
        XSetWindowAttributes attributes{};
        attributes.colormap = XCreateColormap(host, DefaultRootWindow(host), argb.visual, AllocNone);
        const Window argbParent =
            XCreateWindow(host, DefaultRootWindow(host), 400, 150, 300, 200, 0, 32, InputOutput, argb.visual,
                          CWColormap | CWBorderPixel, &attributes);
        XMapWindow(host, argbParent);
        XSync(host, False);
        {
            Editor inArgb(host, argbParent);
            ASSERT_TRUE(inArgb.platform->isOpen());
            SCOPED_TRACE("32-bit ARGB parent");
            expectShowsItsPixels(inArgb);
        }
        XDestroyWindow(host, argbParent);
        XFreeColormap(host, attributes.colormap);
    } else {
        ADD_FAILURE() << "the server offers no 32-bit TrueColor visual";
    }
}

TEST_F(X11FrameTest, WindowAndPopupShowTheirPixelsOnASixteenBitScreen) {
    if (std::system("command -v Xvfb >/dev/null") != 0) GTEST_SKIP() << "no Xvfb to run a 16-bit screen";
    SixteenBitServer& server = SixteenBitServer::instance();
    ASSERT_NE(server.host(), nullptr) << "cannot start a 16-bit Xvfb";
    Display* host16 = server.host();
    ASSERT_EQ(DefaultDepth(host16, DefaultScreen(host16)), 16);
    const Window parent16 = XCreateSimpleWindow(host16, DefaultRootWindow(host16), 0, 0, 300, 200, 0, 0, 0);
    XMapWindow(host16, parent16);
    XSync(host16, False);
    {
        Editor onSixteenBits(host16, parent16, server.name());
        ASSERT_TRUE(onSixteenBits.platform->isOpen());
        expectShowsItsPixels(onSixteenBits);
        auto* menu = new COptionMenu(CRect(110, 10, 190, 30));
        menu->addEntry("Low");
        onSixteenBits.frame->addView(menu);
        ASSERT_TRUE(menu->popup());
        const CPoint corner = onSixteenBits.platform->popupSession()->pane(0).rect.topLeft();
        const auto border = [&] {
            return shownColour(host16, DefaultRootWindow(host16), corner.x, corner.y);
        };
        onSixteenBits.pumpUntil([&] { return static_cast<bool>(nearColour(border(), 0x6E7076)); });
        EXPECT_TRUE(nearColour(border(), 0x6E7076)) << "the popup's border";
    }
    XDestroyWindow(host16, parent16);
    XSync(host16, False);
}

TEST_F(X11FrameTest, WindowAnnouncesItselfMappedToXEmbedHosts) {
    const Atom xembedInfo = XInternAtom(host, "_XEMBED_INFO", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(host, window, xembedInfo, 0, 2, False, xembedInfo, &type, &format, &count,
                                 &after, &data),
              Success);
    ASSERT_EQ(count, 2u);
    const long* info = reinterpret_cast<const long*>(data);
    EXPECT_EQ(info[0], 0) << "protocol version";
    EXPECT_EQ(info[1] & 1, 1) << "mapped flag";
    XFree(data);
}

TEST_F(X11FrameTest, TheHostsErrorHandlerStaysAndSeesOnlyTheHostsErrors) {
    const XErrorHandler before = XSetErrorHandler(countHostError);
    g_hostErrors = 0;
    const Window gone = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(host, gone);
    XSync(host, False);
    for (int i = 0; i < 3; ++i) {
        Editor orphan(host, gone);
        EXPECT_FALSE(orphan.platform->isOpen()) << "a parent that is already gone";
        Editor second(host, parent);
        EXPECT_TRUE(second.platform->isOpen());
    }
    EXPECT_EQ(g_hostErrors, 0) << "the editors' own errors stay with them";
    XMapWindow(host, gone);
    XSync(host, False);
    EXPECT_EQ(g_hostErrors, 1) << "the host's own error reaches the host";
    EXPECT_EQ(XSetErrorHandler(before), countHostError)
        << "still the host's handler after the editors closed";
}

TEST_F(X11FrameTest, KeysBelongToTheHostExceptWhileATextFieldIsOpen) {
    XSelectInput(host, parent, KeyPressMask);
    moveTo(75, 35);
    tapKey(XK_a);
    EXPECT_TRUE(hostGetsKey()) << "a key over the editor";

    std::vector<int32_t> endings;
    Mirda_TextEdit* edit = openTextEdit(endings);
    ASSERT_TRUE(edit->isEditing());
    EXPECT_TRUE(hasFocus()) << "the open field takes the keyboard";
    tapKey(XK_End);
    tapKey(XK_x);
    tapKey(XK_Return);
    pumpUntil([&] { return !edit->isEditing(); });
    EXPECT_EQ(edit->getText(), "Initx");
    EXPECT_FALSE(hasFocus()) << "and gives it back when it closes";
    tapKey(XK_a);
    EXPECT_TRUE(hostGetsKey()) << "a key after the field closed";
}

TEST_F(X11FrameTest, FocusMovingToTheHostEndsTheTextField) {
    std::vector<int32_t> endings;
    Mirda_TextEdit* edit = openTextEdit(endings);
    ASSERT_TRUE(edit->isEditing());
    XSetInputFocus(host, parent, RevertToParent, CurrentTime); // the user clicks into the host
    pumpUntil([&] { return !edit->isEditing(); });
    EXPECT_FALSE(edit->isEditing());
    EXPECT_EQ(endings, std::vector<int32_t>{0}) << "ended by focus loss";
}

TEST_F(X11FrameTest, TextFieldTakesAnyScriptAndDeadKeys) {
    std::vector<int32_t> endings;
    Mirda_TextEdit* edit = openTextEdit(endings);
    ASSERT_TRUE(edit->isEditing());
    const KeyCode spare = spareKeycode(host);
    ASSERT_NE(spare, 0);
    // The editor translates a key code when it handles the press, so each remapping waits for that.
    const auto type = [&](KeySym symbol, const std::string& expected) {
        XChangeKeyboardMapping(host, spare, 1, &symbol, 1);
        XSync(host, False);
        tapKeycode(spare);
        if (expected.empty()) return;
        pumpUntil([&] { return edit->getField()->getText() == expected; });
        EXPECT_EQ(edit->getField()->getText(), expected);
    };
    tapKey(XK_End);
    type(XK_Cyrillic_be, "Init\u0431");
    type(XK_Greek_lambda, "Init\u0431\u03bb");
    type(XK_dead_acute, "");
    pumpUntil([] { return false; });
    type(XK_e, "Init\u0431\u03bb\u00e9");
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(host, spare, 1, &none, 1);
    XSync(host, False);
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
