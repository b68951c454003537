// The editor inside a host's window under a real X server (Xvfb in CI), driven only through the plug-in's
// binary interface: open, idle, close, mouse gestures and host-side parameter changes.
#include "utilities/PluginPath.h"
#include "utilities/TempFolder.h"
#include "vst2/DialGesture.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
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

    void tap(KeySym key) {
        XTestFakeKeyEvent(x, XKeysymToKeycode(x, key), True, CurrentTime);
        XTestFakeKeyEvent(x, XKeysymToKeycode(x, key), False, CurrentTime);
        XSync(x, False);
    }
    void click(int rootX, int rootY, unsigned button = 1) {
        XTestFakeMotionEvent(x, -1, rootX, rootY, CurrentTime);
        XTestFakeButtonEvent(x, button, True, CurrentTime);
        XTestFakeButtonEvent(x, button, False, CurrentTime);
        XSync(x, False);
    }
    // Presses at (px, py) of the screen, moves up 10 pixels a step and releases; answers whether the host
    // heard the gesture end. The press begins the gesture and the first move only anchors it: one message
    // per step.
    bool dragUp(int px, int py, int steps) {
        host->clearAutomation();
        XTestFakeMotionEvent(x, -1, px, py, CurrentTime);
        XTestFakeButtonEvent(x, 1, True, CurrentTime);
        for (int step = 1; step <= steps; ++step) {
            XTestFakeMotionEvent(x, -1, px, py - 10 * step, CurrentTime);
            idleUntil({host.get()}, [&] { return host->edits().size() >= size_t(step); });
        }
        XTestFakeButtonEvent(x, 1, False, CurrentTime);
        return idleUntil({host.get()}, [&] {
            return !host->edits().empty() && host->edits().back().opcode == audioMasterEndEdit;
        });
    }
};

TEST_F(EditorGestures, DraggingADialSendsBeginAutomateEndInOrder) {
    // The input gain dial: 87 pixels at (15, 221), host index 0. Grab its ring, drag up 60 pixels.
    const float before = host->getParameter(0);
    ASSERT_TRUE(dragUp(15 + 10, 221 + 43, 6));
    expectUpwardDialDrag(*host, 0, before);
}

TEST_F(EditorGestures, AModuleWindowOpensByItsTabAndItsMiniDialsDrag) {
    // The Envelope tab hangs from the display's top edge at (114, 53)-(266, 68); its first dial,
    // "LP Attack" (host index 12), lies at (69, 69)-(162, 81) once the window is open.
    const auto closed = pixels(editor, 69, 69, 93, 12);
    click(190, 60);
    ASSERT_TRUE(idleUntil({host.get()}, [&] { return pixels(editor, 69, 69, 93, 12) != closed; }));
    const float before = host->getParameter(12);
    ASSERT_TRUE(dragUp(115, 75, 3));
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

// The preset browser in the header, in a home folder of its own: the first menu fills the preset folder
// with the factory presets. The popup's rows: five commands and three separators, the seven category
// submenus, then "Init Preset".
struct EditorPresetBrowser : EditorGestures {
    static constexpr int kNameLeft = 366, kNameRight = 476, kBrowserTop = 11, kBrowserBottom = 33;
    static constexpr int kCentreY = 22, kPreviousX = 355, kNextX = 487, kMenuX = 509;
    static constexpr int kFirstCategoryRow = 9, kCategories = 7, kRows = 17;

    KavrenTest::TempFolder home;
    std::optional<KavrenTest::ScopedEnvironment> homeVariable, configVariable;

    void SetUp() override {
        homeVariable.emplace("HOME", home.path());
        configVariable.emplace("XDG_CONFIG_HOME", home / ".config");
        EditorGestures::SetUp();
    }

    std::string presetFolder() const { return home / "Documents/Quillmark/kavren XL/Presets"; }
    size_t presetFileCount() const {
        size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(presetFolder()))
            count += entry.path().extension() == ".fxp";
        return count;
    }

    // The popup's panes: mapped override-redirect windows at the root, oldest first.
    std::vector<XWindowAttributes> panes() {
        std::vector<XWindowAttributes> found;
        for (Window w : children(DefaultRootWindow(x))) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(x, w, &a) && a.override_redirect && a.map_state == IsViewable)
                found.push_back(a);
        }
        return found;
    }
    bool waitForPanes(size_t count) {
        return idleUntil({host.get()}, [&] { return panes().size() == count; });
    }

    // The centre of row `row` of a pane (rows 20 pixels, separators 9, a border of 1) in root coordinates.
    static std::pair<int, int> rowCentre(const XWindowAttributes& pane, int row) {
        int top = 1;
        for (int i = 0; i < row; ++i) top += (i == 2 || i == 5 || i == 8) ? 9 : 20;
        return {pane.x + pane.width / 2, pane.y + top + 10};
    }
    static int paneHeight(int rows) { return 2 + (rows - 3) * 20 + 3 * 9; }

    std::vector<float> parameters() {
        std::vector<float> values;
        for (int32_t i = 0; i < 48; ++i) values.push_back(host->getParameter(i));
        return values;
    }
    std::vector<unsigned long> nameArea() {
        return pixels(editor, kNameLeft, kBrowserTop, kNameRight - kNameLeft, kBrowserBottom - kBrowserTop);
    }
    bool nameShownChangesFrom(const std::vector<unsigned long>& before) {
        return idleUntil({host.get()}, [&] { return nameArea() != before; });
    }
    // Steps to the first preset, which makes the commands that need a current preset available.
    bool stepToFirstPreset() {
        const auto initName = nameArea();
        click(kNextX, kCentreY);
        return nameShownChangesFrom(initName);
    }
    // Opens the menu (with `button` at `menuX`) and chooses the entry in `row` of its first pane.
    bool choose(int row, int menuX = kMenuX, unsigned button = 1) {
        click(menuX, kCentreY, button);
        if (!waitForPanes(1)) return false;
        const auto [rx, ry] = rowCentre(panes()[0], row);
        click(rx, ry);
        return waitForPanes(0);
    }

    // The modal boxes, centred in the editor, shown when their background colour is at their corner:
    // the question box (buttons at its bottom right, the last one rightmost) and the path prompt.
    static constexpr int kBoxLeft = (534 - 420) / 2, kBoxTop = (488 - 150) / 2, kButtonY = kBoxTop + 129;
    static constexpr int kYesX = kBoxLeft + 280, kNoX = kBoxLeft + 370;
    static constexpr int kPromptLeft = (534 - 380) / 2, kPromptTop = (488 - 96) / 2;
    bool boxAt(int left, int top) { return pixel(editor, left + 4, top + 4) == 0x222428u; }
    bool waitForBox(int left, int top, bool shown) {
        return idleUntil({host.get()}, [&] { return boxAt(left, top) == shown; });
    }
};

TEST_F(EditorPresetBrowser, MenuShowsTheFactoryCategoriesAndLoadsAPresetFromASubmenu) {
    click(kMenuX, kCentreY);
    ASSERT_TRUE(waitForPanes(1)) << "a click on the menu arrow opens the menu";
    const XWindowAttributes menu = panes()[0];
    EXPECT_EQ(menu.height, paneHeight(kRows));
    // A category's pane opens beside its row (moved up when it would leave the screen), in place of the
    // one before.
    std::optional<XWindowAttributes> shown;
    const auto categoryAt = [&](int row) -> std::optional<XWindowAttributes> {
        const int rowTop = rowCentre(menu, row).second - 10;
        for (const XWindowAttributes& pane : panes()) {
            const bool same = shown && pane.y == shown->y && pane.height == shown->height;
            if (pane.x != menu.x && !same && pane.y <= rowTop && pane.y + pane.height >= rowTop + 20)
                return pane;
        }
        return std::nullopt;
    };
    for (int row = kFirstCategoryRow + kCategories - 1; row >= kFirstCategoryRow; --row) {
        const auto [cx, cy] = rowCentre(menu, row);
        click(cx, cy);
        EXPECT_TRUE(idleUntil({host.get()}, [&] { return categoryAt(row).has_value(); }))
            << "row " << row << " opens a category";
        shown = categoryAt(row);
    }
    EXPECT_EQ(presetFileCount(), 133u) << "the first menu installed the factory presets";

    const auto name = nameArea();
    const auto before = parameters();
    ASSERT_TRUE(shown.has_value());
    const auto [px, py] = rowCentre(*shown, 0);
    click(px, py);
    ASSERT_TRUE(waitForPanes(0));
    EXPECT_TRUE(nameShownChangesFrom(name));
    EXPECT_NE(parameters(), before) << "the preset's settings are loaded";
    EXPECT_EQ(g_xErrors, 0);
}

TEST_F(EditorPresetBrowser, ArrowsStepThroughTheLibraryAndBack) {
    ASSERT_TRUE(stepToFirstPreset());
    const auto first = parameters();
    const auto firstName = nameArea();
    click(kNextX, kCentreY);
    ASSERT_TRUE(nameShownChangesFrom(firstName));
    EXPECT_NE(parameters(), first);
    click(kPreviousX, kCentreY);
    EXPECT_TRUE(idleUntil({host.get()}, [&] { return nameArea() == firstName; }));
    EXPECT_EQ(parameters(), first) << "back to the first preset in browse order";
}

TEST_F(EditorPresetBrowser, QuestionsShowInTheEditorAndOnlyYesOrOkGoesOn) {
    ASSERT_TRUE(stepToFirstPreset());
    const size_t files = presetFileCount();
    const struct {
        int row, button;
        size_t filesAfter;
    } steps[] = {
        {3, kNoX, files},      // "Delete Preset", No
        {3, kYesX, files - 1}, // Yes
        {7, kNoX, files - 1},  // "Restore Factory Presets", Cancel
        {7, kYesX, files},     // OK brings the deleted one back
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(choose(step.row, kPreviousX + 60, 3)) << "a right click anywhere opens the menu";
        ASSERT_TRUE(waitForBox(kBoxLeft, kBoxTop, true)) << "row " << step.row;
        click(step.button, kButtonY);
        EXPECT_TRUE(waitForBox(kBoxLeft, kBoxTop, false));
        EXPECT_EQ(presetFileCount(), step.filesAfter) << "row " << step.row << ", button at " << step.button;
    }
}

TEST_F(EditorPresetBrowser, RenameSavesOnlyOnReturn) {
    ASSERT_TRUE(stepToFirstPreset());
    const size_t files = presetFileCount();
    for (const KeySym ending : {XK_Escape, XK_Return}) {
        const auto name = nameArea();
        ASSERT_TRUE(choose(4));
        ASSERT_TRUE(nameShownChangesFrom(name)) << "the text field opens over the name";
        const auto field = nameArea();
        tap(XK_End);
        tap(XK_2);
        ASSERT_TRUE(nameShownChangesFrom(field)) << "the typed character shows";
        tap(ending);
        const auto renamedFiles = [&] {
            size_t count = 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(presetFolder()))
                count += entry.path().stem().string().ends_with("2");
            return count;
        };
        if (ending == XK_Escape)
            EXPECT_TRUE(idleUntil({host.get()}, [&] { return nameArea() == name; }))
                << "the old name is back";
        else
            idleUntil({host.get()}, [&] { return renamedFiles() == 1; });
        EXPECT_EQ(renamedFiles(), ending == XK_Return ? 1u : 0u) << "saved under the new name";
        EXPECT_EQ(presetFileCount(), files) << "a rename, not a copy";
    }
}

TEST_F(EditorPresetBrowser, SaveAsAsksBeforeOverwritingAndOnlyYesWrites) {
    // Without a dialog program the editor asks for the path itself, starting from the current preset's.
    const KavrenTest::ScopedEnvironment noDialogs("PATH", home.path());
    ASSERT_TRUE(stepToFirstPreset());
    host->setParameter(1, 0.123f);
    for (const int button : {kNoX, kYesX}) {
        const auto before = KavrenTest::filesUnder(presetFolder());
        ASSERT_TRUE(choose(1));
        ASSERT_TRUE(waitForBox(kPromptLeft, kPromptTop, true));
        click(kPromptLeft + 248, kPromptTop + 75); // OK
        ASSERT_TRUE(waitForBox(kBoxLeft, kBoxTop, true)) << "the preset exists";
        click(button, kButtonY);
        EXPECT_TRUE(waitForBox(kBoxLeft, kBoxTop, false));
        const auto after = KavrenTest::filesUnder(presetFolder());
        EXPECT_EQ(after.size(), before.size()) << "the same file";
        EXPECT_EQ(after == before, button == kNoX) << "written only after Yes";
    }

    // The prompt has the keyboard: a name typed into it is saved as a new preset, without a question.
    const size_t count = presetFileCount();
    ASSERT_TRUE(choose(1));
    ASSERT_TRUE(waitForBox(kPromptLeft, kPromptTop, true));
    tap(XK_End);
    for (int i = 0; i < 4; ++i) tap(XK_BackSpace); // ".fxp"
    tap(XK_x);
    tap(XK_Return);
    EXPECT_TRUE(waitForBox(kPromptLeft, kPromptTop, false));
    EXPECT_TRUE(idleUntil({host.get()}, [&] { return presetFileCount() == count + 1; }));
}

} // namespace
