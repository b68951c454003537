// The editor inside a host's Win32 window (under Wine in CI), driven only through the plug-in's binary
// interface and the window messages a host's message loop would deliver: open, paint, gestures, the
// preset menu, text input, and the ways hosts close editors.
#include "core/Settings.h"
#include "utilities/PluginPath.h"
#include "utilities/TempFolder.h"
#include "vst2/DialGesture.h"
#include "vst2/EditorImages.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring classNameOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

struct Win32Editor : ::testing::Test {
    std::vector<HWND> parents;

    void TearDown() override {
        for (HWND parent : parents)
            if (IsWindow(parent)) DestroyWindow(parent);
        pumpMessages();
    }

    // The window a host makes for the editor.
    HWND makeParent(int left, int width = 600, int height = 520) {
        static const ATOM registered = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = parentProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"KavrenTestHost";
            return RegisterClassExW(&windowClass);
        }();
        EXPECT_NE(registered, 0);
        HWND parent =
            CreateWindowExW(0, L"KavrenTestHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, left, 0,
                            width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        parents.push_back(parent);
        return parent;
    }

    static std::vector<HWND> children(HWND parent) {
        std::vector<HWND> found;
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            found.push_back(child);
        return found;
    }

    static void pumpMessages() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // Runs the host's loop (messages, then the editors' idle) until `done` holds or five seconds pass.
    static bool idleUntil(const std::vector<VstPluginHost*>& hosts, const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            pumpMessages();
            for (VstPluginHost* host : hosts) host->dispatch(effEditIdle);
            if (done()) return true;
            Sleep(1);
        }
        return done();
    }

    // What the window shows, read back from its device context, as an opaque image.
    static Image capture(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        Image image{client.right, client.bottom, {}};
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), image.width, -image.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC source = GetDC(window), memory = CreateCompatibleDC(source);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* bytes = static_cast<const uint8_t*>(bits);
        image.pixels.assign(bytes, bytes + size_t(image.width) * size_t(image.height) * 4);
        for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, source);
        return image;
    }

    static COLORREF pixel(HWND window, int x, int y) {
        HDC dc = GetDC(window);
        const COLORREF value = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return value;
    }

    // GDI and USER objects as Windows counts them (Wine answers 0), and the windows of this thread.
    static std::pair<DWORD, size_t> handles() {
        size_t windows = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND, LPARAM count) -> BOOL {
                ++*reinterpret_cast<size_t*>(count);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) +
                    GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                windows};
    }
};

TEST_F(Win32Editor, OpensAChildOfItsSizeThatShowsWhatTheOffscreenPictureShows) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    host.setParameter(0, 0.62f);
    for (const auto& [scale, width, height] : {std::tuple{1.0f, 534, 488}, std::tuple{2.0f, 1068, 976}}) {
        host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, scale);
        int rectWidth = 0, rectHeight = 0;
        editorSize(host, rectWidth, rectHeight);
        EXPECT_EQ(rectWidth, width);
        EXPECT_EQ(rectHeight, height);
        HWND parent = makeParent(0, width, height);
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
        const std::vector<HWND> made = children(parent);
        ASSERT_EQ(made.size(), 1u);
        RECT client{};
        GetClientRect(made[0], &client);
        EXPECT_EQ(client.right, width);
        EXPECT_EQ(client.bottom, height);
        EXPECT_TRUE(IsWindowVisible(made[0]));
        ASSERT_TRUE(idleUntil({&host}, [&] { return pixel(made[0], 5, 100) != 0; }))
            << "the panel is painted";
        // The same drawing reaches the window unchanged: only the alpha channel is the platform's.
        const ImageDifference d = compareImages(capture(made[0]), editorSnapshot(host));
        EXPECT_EQ(d.pixelsOff, 0) << scale;
        EXPECT_LT(d.meanPerChannel, 0.05) << scale;
        host.dispatch(effEditClose);
        EXPECT_TRUE(children(parent).empty());
    }
}

TEST_F(Win32Editor, AHundredOpenCloseCyclesLeaveNoHandlesOrWindowClassesBehind) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    HWND parent = makeParent(0);
    // The first opening loads what stays for the library's life (fonts, bitmaps, the window class name).
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
    const std::wstring frameClass = classNameOf(children(parent).at(0));
    host.dispatch(effEditClose);
    pumpMessages();
    const auto before = handles();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1) << i;
        pumpMessages();
        host.dispatch(effEditIdle);
        host.dispatch(effEditClose);
    }
    pumpMessages();
    EXPECT_TRUE(children(parent).empty());
    EXPECT_EQ(handles(), before);
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    HMODULE plugin = GetModuleHandleW(std::filesystem::path(pluginPath()).filename().wstring().c_str());
    EXPECT_FALSE(GetClassInfoExW(plugin, frameClass.c_str(), &info)) << "unregistered with its last window";
}

TEST_F(Win32Editor, TwoInstancesOpenSideBySideAndASecondOpenKeepsOneWindow) {
    VstPluginHost first(pluginPath()), second(pluginPath());
    first.start(44100.0f, 512);
    second.start(44100.0f, 512);
    HWND left = makeParent(0), right = makeParent(620);
    ASSERT_EQ(first.dispatch(effEditOpen, 0, 0, left), 1);
    ASSERT_EQ(second.dispatch(effEditOpen, 0, 0, right), 1);
    EXPECT_EQ(first.dispatch(effEditOpen, 0, 0, left), 1);
    EXPECT_EQ(children(left).size(), 1u) << "an editor that is open stays the one window";
    HWND a = children(left).at(0), b = children(right).at(0);
    EXPECT_TRUE(idleUntil({&first}, [&] { return pixel(a, 5, 100) != 0 && pixel(b, 5, 100) != 0; }));
    first.dispatch(effEditClose);
    EXPECT_TRUE(children(left).empty());
    EXPECT_EQ(children(right).size(), 1u);
    second.dispatch(effEditClose);
}

TEST_F(Win32Editor, AParentDestroyedBeforeTheCloseTakesTheEditorQuietly) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    HWND parent = makeParent(0);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
    DestroyWindow(parent);
    host.dispatch(effEditIdle);
    host.dispatch(effEditClose);
    // The editor opens again in a new window.
    HWND again = makeParent(0);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, again), 1);
    EXPECT_TRUE(idleUntil({&host}, [&] { return pixel(children(again).at(0), 5, 100) != 0; }));
    host.dispatch(effEditClose);
}

// An open editor at 100 % with its preset folder in the test's own folder (the registry setting); the
// folder does not exist yet, so the first menu installs the factory presets into it.
struct Win32EditorGestures : Win32Editor {
    static constexpr int kCentreY = 22, kNextX = 487, kMenuX = 509;
    static constexpr int kNameLeft = 366, kNameRight = 476, kBrowserTop = 11, kBrowserBottom = 33;
    static constexpr int kFirstCategoryRow = 9;

    KavrenTest::TempFolder folder;
    std::string settingsKey = Core::settingsKey(Core::kCompanyKey, Core::kProductKey);
    std::unique_ptr<VstPluginHost> host;
    HWND editor = nullptr;

    void SetUp() override {
        Core::writeSetting(settingsKey, "PresetFolder", (folder / "Presets/").c_str());
        host = std::make_unique<VstPluginHost>(pluginPath());
        host->start(44100.0f, 512);
        host->dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, 1.0f);
        HWND parent = makeParent(0);
        ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, parent), 1);
        editor = children(parent).at(0);
        ASSERT_TRUE(idleUntil({host.get()}, [&] { return pixel(editor, 5, 100) != 0; }));
    }

    void TearDown() override {
        if (host) host->dispatch(effEditClose);
        host.reset();
        Core::writeSetting(settingsKey, "PresetFolder", "");
        Win32Editor::TearDown();
    }

    void send(UINT message, WPARAM wParam, int x, int y) {
        SendMessageW(editor, message, wParam, MAKELPARAM(x, y));
    }
    void click(int x, int y) {
        send(WM_MOUSEMOVE, 0, x, y);
        send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        send(WM_LBUTTONUP, 0, x, y);
    }
    void key(UINT windowsKey) {
        SendMessageW(editor, WM_KEYDOWN, windowsKey, 1);
        SendMessageW(editor, WM_KEYUP, windowsKey, 0xC0000001);
    }
    void type(wchar_t c) { SendMessageW(editor, WM_CHAR, c, 1); }

    // The popup's panes: visible menu windows of this thread, oldest first.
    static std::vector<RECT> panes() {
        std::vector<RECT> found;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM list) -> BOOL {
                RECT r{};
                if (IsWindowVisible(window) && classNameOf(window).starts_with(L"MirdaMenu") &&
                    GetWindowRect(window, &r))
                    reinterpret_cast<std::vector<RECT>*>(list)->insert(
                        reinterpret_cast<std::vector<RECT>*>(list)->begin(), r);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    bool waitForPanes(size_t count) {
        return idleUntil({host.get()}, [&] { return panes().size() == count; });
    }
    // The centre of row `row` of a pane (rows 20 pixels, separators 9, a border of 1) in the editor's
    // coordinates, where the editor's window (holding the capture) receives the click.
    POINT rowCentre(const RECT& pane, int row) const {
        int top = 1;
        for (int i = 0; i < row; ++i) top += (i == 2 || i == 5 || i == 8) ? 9 : 20;
        POINT at{(pane.left + pane.right) / 2, pane.top + top + 10};
        ScreenToClient(editor, &at);
        return at;
    }
    bool choose(int row) {
        click(kMenuX, kCentreY);
        if (!waitForPanes(1)) return false;
        const POINT at = rowCentre(panes()[0], row);
        click(at.x, at.y);
        return waitForPanes(0);
    }
    Image nameArea() {
        const Image all = capture(editor);
        Image part{kNameRight - kNameLeft, kBrowserBottom - kBrowserTop, {}};
        for (int y = kBrowserTop; y < kBrowserBottom; ++y)
            part.pixels.insert(part.pixels.end(), all.at(kNameLeft, y), all.at(kNameRight, y));
        return part;
    }
    bool nameShownChangesFrom(const Image& before) {
        return idleUntil({host.get()}, [&] { return nameArea().pixels != before.pixels; });
    }
    size_t presetFiles(const std::string& stemEnd = "") const {
        size_t count = 0;
        std::error_code absent;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "Presets", absent))
            count += entry.path().extension() == ".fxp" && entry.path().stem().string().ends_with(stemEnd);
        return count;
    }
};

TEST_F(Win32EditorGestures, DraggingADialSendsBeginAutomateEndAndSetsTheValue) {
    // The input gain dial: 87 pixels at (15, 221), host index 0. Grab its ring, drag up 60 pixels.
    const float before = host->getParameter(0);
    host->clearAutomation();
    send(WM_MOUSEMOVE, 0, 25, 264);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 25, 264);
    EXPECT_EQ(GetCapture(), editor) << "the drag holds the mouse";
    for (int step = 1; step <= 6; ++step) {
        send(WM_MOUSEMOVE, MK_LBUTTON, 25, 264 - 10 * step);
        idleUntil({host.get()}, [&] { return host->edits().size() >= size_t(step); });
    }
    send(WM_LBUTTONUP, 0, 25, 204);
    EXPECT_NE(GetCapture(), editor);
    expectUpwardDialDrag(*host, 0, before);
}

TEST_F(Win32EditorGestures, APresetChosenFromACategoryLoadsAndARenameTypedSavesOnReturn) {
    click(kMenuX, kCentreY);
    ASSERT_TRUE(waitForPanes(1)) << "a click on the menu arrow opens the menu";
    const POINT category = rowCentre(panes()[0], kFirstCategoryRow);
    click(category.x, category.y);
    ASSERT_TRUE(waitForPanes(2)) << "the category opens beside its row";
    EXPECT_GT(presetFiles(), 100u) << "the first menu installed the factory presets";
    const Image name = nameArea();
    const float gain = host->getParameter(0);
    std::vector<float> before;
    for (int32_t i = 0; i < 48; ++i) before.push_back(host->getParameter(i));
    const POINT preset = rowCentre(panes()[1], 0);
    click(preset.x, preset.y);
    ASSERT_TRUE(waitForPanes(0));
    EXPECT_TRUE(nameShownChangesFrom(name));
    std::vector<float> after;
    for (int32_t i = 0; i < 48; ++i) after.push_back(host->getParameter(i));
    EXPECT_NE(after, before) << "the preset's settings are loaded (gain was " << gain << ")";

    // "Rename Preset": the text field opens over the name with the keyboard; Return saves.
    const size_t files = presetFiles();
    const Image loaded = nameArea();
    ASSERT_TRUE(choose(4));
    ASSERT_TRUE(nameShownChangesFrom(loaded)) << "the text field opens over the name";
    EXPECT_EQ(GetFocus(), editor) << "the field has the keyboard";
    const Image field = nameArea();
    key(VK_END);
    type(L'2');
    ASSERT_TRUE(nameShownChangesFrom(field)) << "the typed character shows";
    key(VK_RETURN);
    EXPECT_TRUE(idleUntil({host.get()}, [&] { return presetFiles("2") == 1; })) << "saved under the new name";
    EXPECT_EQ(presetFiles(), files) << "a rename, not a copy";
    EXPECT_NE(GetFocus(), editor) << "the keyboard goes back to the host";
}

TEST_F(Win32EditorGestures, ClosingWithAMenuOrATextFieldOpenLeavesNothingBehind) {
    click(kMenuX, kCentreY);
    ASSERT_TRUE(waitForPanes(1));
    host->dispatch(effEditClose);
    pumpMessages();
    EXPECT_TRUE(panes().empty());
    EXPECT_EQ(GetCapture(), nullptr);

    HWND parent = makeParent(0);
    ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, parent), 1);
    editor = children(parent).at(0);
    ASSERT_TRUE(idleUntil({host.get()}, [&] { return pixel(editor, 5, 100) != 0; }));
    click(kNextX, kCentreY);
    ASSERT_TRUE(idleUntil({host.get()}, [&] { return presetFiles() > 0; }));
    ASSERT_TRUE(choose(4));
    ASSERT_TRUE(idleUntil({host.get()}, [&] { return GetFocus() == editor; }));
    host->dispatch(effEditClose);
    pumpMessages();
    EXPECT_TRUE(children(parent).empty());
    EXPECT_NE(GetFocus(), editor);
}

} // namespace
