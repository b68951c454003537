// The editor when its X server goes away, driven only through the plug-in's binary interface: the host
// and its audio live on, and the editor opens again on the next server.
#include "utilities/PluginPath.h"
#include "utilities/TempFolder.h"
#include "utilities/XvfbServer.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

// A host window on `server` that outlives the test's connection, so that the test holds no connection
// of its own when the server goes.
Window makeParent(const KavrenTest::XvfbServer& server) {
    Display* x = XOpenDisplay(server.name().c_str());
    if (!x) return 0;
    const Window parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 600, 520, 0, 0, 0);
    XMapWindow(x, parent);
    XSetCloseDownMode(x, RetainPermanent);
    XCloseDisplay(x);
    return parent;
}

unsigned childCount(const KavrenTest::XvfbServer& server, Window parent) {
    Display* x = XOpenDisplay(server.name().c_str());
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    XQueryTree(x, parent, &root, &up, &list, &count);
    if (list) XFree(list);
    XCloseDisplay(x);
    return count;
}

// Idles the editor as a host does for a quarter of a second (about ten of the editor's idle passes),
// processing audio in between; answers whether every block came out finite and the last one audible.
bool idleWithAudio(VstPluginHost& host) {
    std::vector<float> in(512), left(512), right(512);
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.5f * std::sin(0.05f * float(i));
    bool finite = true;
    float peak = 0.0f;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (std::chrono::steady_clock::now() < end) {
        host.dispatch(effEditIdle);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {left.data(), right.data()};
        host.process(ins, outs, 512);
        peak = 0.0f;
        for (float sample : left) {
            finite = finite && std::isfinite(sample);
            peak = std::max(peak, std::abs(sample));
        }
        std::this_thread::yield();
    }
    return finite && peak > 1e-4f;
}

TEST(EditorLostDisplay, TheHostLivesOnAndTheEditorOpensOnTheNextServer) {
    for (const bool hostClosesEditor : {true, false}) {
        KavrenTest::XvfbServer first("800x600x24");
        if (first.name().empty()) GTEST_SKIP() << "Xvfb cannot be started";
        KavrenTest::ScopedEnvironment display("DISPLAY", first.name());
        VstPluginHost host(pluginPath());
        host.start(44100.0f, 512);
        const Window parent = makeParent(first);
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        ASSERT_EQ(childCount(first, parent), 1u);
        EXPECT_TRUE(idleWithAudio(host));

        first.stop();
        EXPECT_TRUE(idleWithAudio(host)) << "the editor's idle passes on a lost display";
        if (hostClosesEditor) host.dispatch(effEditClose);

        KavrenTest::XvfbServer second("800x600x24");
        ASSERT_FALSE(second.name().empty());
        KavrenTest::ScopedEnvironment nextDisplay("DISPLAY", second.name());
        const Window nextParent = makeParent(second);
        ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(nextParent)), 1);
        EXPECT_EQ(childCount(second, nextParent), 1u) << hostClosesEditor;
        EXPECT_TRUE(idleWithAudio(host));
        host.dispatch(effEditClose);
        EXPECT_EQ(childCount(second, nextParent), 0u);
    }
}

} // namespace
