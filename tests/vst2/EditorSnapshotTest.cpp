// The editor's size and look, as a host and our own tools see them, without a window system.
#include "utilities/PluginPath.h"
#include "utilities/TempFolder.h"
#include "utilities/WhiteNoise.h"
#include "vst2/EditorImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vst2;

namespace {

using Editor = StartedPlugin;

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
    // The user's settings live elsewhere for this test, so no stored choice overrides the host (on
    // Windows the settings are the test prefix's registry, where no test stores one).
    KavrenTest::ScopedEnvironment settings("XDG_CONFIG_HOME", ::testing::TempDir());
    EXPECT_EQ(host.dispatch(effVendorSpecific, fourCC("PreS"), fourCC("AeCs"), nullptr, 2.0f), 1);
    host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, 0.0f); // no fixed scale
    const Image image = editorSnapshot(host);
    EXPECT_EQ(image.width, 1068);
    EXPECT_EQ(image.height, 976);
}

// A fixed state at 100 % and 200 % against tests/vst2/reference/editor-*.png (mean difference under 1.5 of
// 255 and at most a few dozen pixels far off: room for FreeType and cairo rounding). Run with
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

// Each module window open, over audio that keeps the curves, spectrum and meters moving: the views stay
// alive offscreen ("Live") and take clicks on the title tabs ("Clik"). Three pictures hold all seven.
TEST_F(Editor, ModuleWindowsOverLiveAudioMatchTheReferences) {
#ifdef _WIN32
    GTEST_SKIP() << "the System window shows the preset folder, a Documents folder in Windows' notation";
#endif
    // The System window shows the preset folder, which follows the home folder.
    KavrenTest::ScopedEnvironment home("HOME", "/tmp/kavren-snapshot-home");
    KavrenTest::ScopedEnvironment settings("XDG_CONFIG_HOME", std::nullopt);
    const struct {
        int32_t index;
        float value;
    } state[] = {{1, 0.45f}, {2, 0.6f},  {4, 0.7f},  {5, 0.25f},
                 {14, 0.8f}, {20, 0.3f}, {22, 0.0f}, {23, 0.8f}};
    for (const auto& s : state) host.setParameter(s.index, s.value);
    const struct {
        float scale;
        std::vector<std::pair<int, int>> tabs; // tab centres in editor pixels at 100 %
        const char* name;
    } pages[] = {
        {1.0f, {{190, 60}, {328, 203}}, "editor-envelope-distortion-100.png"},
        {2.0f, {{95, 203}, {344, 60}}, "editor-modulation-lfo-200.png"},
        {1.0f, {{456, 60}}, "editor-system-100.png"},
    };
    for (const auto& page : pages) {
        host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, page.scale);
        ASSERT_EQ(host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Live"), nullptr, 1.0f), 1);
        std::vector<float> left(512), right(512), outLeft(512), outRight(512);
        float* ins[2] = {left.data(), right.data()};
        float* outs[2] = {outLeft.data(), outRight.data()};
        KavrenTest::WhiteNoise white(1);
        for (int block = 0, at = 0; block < 40; ++block) {
            // Two tones and bursts of noise every 4096 frames, for the envelope to follow.
            for (size_t i = 0; i < left.size(); ++i, ++at) {
                const double burst = std::exp(-double(at % 4096) / 600.0) * double(white.next());
                left[i] = right[i] =
                    float(0.3 * std::sin(at * 0.031) + 0.1 * std::sin(at * 0.37) + 0.5 * burst);
            }
            host.process(ins, outs, 512);
            if (block % 4 == 3) editorSnapshot(host); // an idle pass of an open editor
        }
        for (const auto& [x, y] : page.tabs) {
            int32_t at[2] = {int32_t(x * page.scale), int32_t(y * page.scale)};
            ASSERT_EQ(host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Clik"), at), 1);
        }
        for (int pass = 0; pass < 6; ++pass) editorSnapshot(host); // the windows' opening
        const Image image = editorSnapshot(host);
        host.dispatch(effVendorSpecific, fourCC("KvED"), fourCC("Live"), nullptr, 0.0f);
        ASSERT_FALSE(image.pixels.empty());
        const ImageDifference d =
            compareWithReference(image, std::string(KAVREN_REFERENCE_DIR) + "/" + page.name);
        EXPECT_LT(d.meanPerChannel, 1.5) << page.name;
        // The live spectrum's rounding differs a little between optimised and debug builds; the pixels
        // it may move grow with the picture's area.
        EXPECT_LT(d.pixelsOff, 60 * page.scale * page.scale) << page.name;
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
