// The editor's size and look, as a host and our own tools see them, without a window system.
#include "vst2/EditorImages.h"
#include "vst2/PluginPath.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

struct Editor : ::testing::Test {
    void SetUp() override { host.start(44100.0f, 512); }
    VstPluginHost host{pluginPath()};
};

TEST_F(Editor, ReportsItsScaledSizeBeforeOpening) {
    const struct {
        float scale;
        int width, height;
    } sizes[] = {{1.0f, 534, 488}, {1.5f, 801, 732}, {2.0f, 1068, 976}, {1.2f, 534, 488}};
    for (const auto& size : sizes) {
        host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, size.scale);
        int width = 0, height = 0;
        editorSize(host, width, height);
        EXPECT_EQ(width, size.width) << size.scale;
        EXPECT_EQ(height, size.height) << size.scale;
    }
}

TEST_F(Editor, FollowsTheScaleAHostAnnounces) {
    // The user's settings live elsewhere for this test, so no stored choice overrides the host.
    setenv("XDG_CONFIG_HOME", ::testing::TempDir().c_str(), 1);
    EXPECT_EQ(host.dispatch(effVendorSpecific, fourCC("PreS"), fourCC("AeCs"), nullptr, 2.0f), 1);
    host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, 0.0f); // no fixed scale
    const Image image = editorSnapshot(host);
    EXPECT_EQ(image.width, 1068);
    EXPECT_EQ(image.height, 976);
}

// A fixed state at 100 % and 200 % against tests/vst2/reference/editor-*.png (mean difference under 1.5 of
// 255 and at most a few dozen pixels far off: room for FreeType and AGG rounding). Run with
// MIRDA_UPDATE_REFERENCES=1 to rewrite the references after an intended change of the look.
TEST_F(Editor, SnapshotsMatchTheReferences) {
    const struct {
        int32_t index;
        float value;
    } state[] = {{0, 0.62f}, {1, 0.55f}, {2, 0.4f}, {3, 0.7f}, {4, 1.0f}};
    for (const auto& s : state) host.setParameter(s.index, s.value);
    for (const auto& [scale, name] : {std::pair{1.0f, "editor-100.png"}, std::pair{2.0f, "editor-200.png"}}) {
        host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, scale);
        const Image image = editorSnapshot(host);
        ASSERT_FALSE(image.pixels.empty());
        const ImageDifference d = compareWithReference(image, std::string(KAVREN_REFERENCE_DIR) + "/" + name);
        EXPECT_LT(d.meanPerChannel, 1.5) << name;
        EXPECT_LT(d.pixelsOff, 40) << name;
    }
}

TEST_F(Editor, SnapshotFollowsParameterValues) {
    const Image before = editorSnapshot(host);
    host.setParameter(1, 0.1f); // the low-pass cut-off dial and its value label
    const Image after = editorSnapshot(host);
    EXPECT_GT(compareImages(before, after).pixelsOff, 200);
    host.setParameter(1, 1.0f);
    EXPECT_EQ(compareImages(before, editorSnapshot(host)).pixelsOff, 0);
}

} // namespace
