#include "kavren/Editor.h"

#include "frame/PluginEditor.h"
#include "gui/PngWriter.h"
#include "kavren/HostWindow.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kavren {
namespace {

using vst2::fourCC;

struct EditorSize {
    int width = 0;
    int height = 0;
};

EditorSize editorSize(host::VstPluginHost& plugin) {
    vst2::ERect* rect = nullptr;
    if (!plugin.dispatch(vst2::effEditGetRect, 0, 0, &rect) || !rect)
        throw std::runtime_error("the plug-in offers no editor");
    return {rect->right - rect->left, rect->bottom - rect->top};
}

// Offscreen drawings that stand in for the idle passes of an open editor.
class IdlePasses {
public:
    explicit IdlePasses(host::VstPluginHost& plugin) : plugin_(plugin) {
        const EditorSize size = editorSize(plugin);
        scratch_.resize(size_t(size.width) * size_t(size.height) * 4);
        pass_ = {scratch_.data(), size.width, size.height, size.width * 4};
        plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Live"), nullptr, 1.0f);
    }
    void run(int count = 1) {
        for (int i = 0; i < count; ++i)
            plugin_.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Snap"), &pass_);
    }

private:
    host::VstPluginHost& plugin_;
    std::vector<uint8_t> scratch_;
    Tessu::EditorPixels pass_;
};

} // namespace

void setEditorScale(host::VstPluginHost& plugin, double scale) {
    plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Scal"), nullptr, float(scale));
}

void writeEditorSnapshot(host::VstPluginHost& plugin, const std::string& path) {
    const EditorSize size = editorSize(plugin);
    std::vector<uint8_t> pixels(size_t(size.width) * size_t(size.height) * 4);
    Tessu::EditorPixels out{pixels.data(), size.width, size.height, size.width * 4};
    if (!plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Snap"), &out))
        throw std::runtime_error("the editor could not draw itself");
    if (!Mirda::writePNGFile({pixels.data(), size.width, size.height, size.width * 4}, path))
        throw std::runtime_error("cannot write " + path);
}

void clickEditor(host::VstPluginHost& plugin, double x, double y, double scale) {
    IdlePasses passes(plugin);
    const int32_t at[2] = {int32_t(std::lround(x * scale)), int32_t(std::lround(y * scale))};
    if (!plugin.dispatch(vst2::effVendorSpecific, fourCC("KvED"), fourCC("Clik"), const_cast<int32_t*>(at)))
        throw std::runtime_error("the editor does not take clicks offscreen");
    passes.run(8);
}

void playIntoEditor(host::VstPluginHost& plugin, const Audio& input) {
    IdlePasses passes(plugin);
    constexpr size_t kBlock = 512, kIdleEvery = 2048;
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outLeft.data(), outRight.data()};
    const std::vector<float>& inLeft = input.channels.at(0);
    const std::vector<float>& inRight = input.channels.size() > 1 ? input.channels[1] : inLeft;
    for (size_t at = 0; at < input.frames(); at += kBlock) {
        const size_t n = std::min(kBlock, input.frames() - at);
        std::copy_n(inLeft.begin() + long(at), n, left.begin());
        std::copy_n(inRight.begin() + long(at), n, right.begin());
        plugin.process(ins, outs, int32_t(n));
        if ((at + n) % kIdleEvery < kBlock) passes.run();
    }
}

void runEditorWindow(host::VstPluginHost& plugin, const std::string& title) {
    const EditorSize size = editorSize(plugin);
    std::unique_ptr<HostWindow> window = HostWindow::open(title, size.width, size.height);
    if (!window) throw std::runtime_error("no window system to open a window on (is DISPLAY set?)");
    if (!plugin.dispatch(vst2::effEditOpen, 0, 0, window->handle()))
        throw std::runtime_error("the editor did not open");
    plugin.onSizeWindow = [&](int32_t width, int32_t height) {
        if (width <= 0 || height <= 0) return false;
        window->resize(width, height);
        return true;
    };
    // The host's idle pump, as a DAW runs it on its GUI thread.
    while (window->pump()) {
        plugin.dispatch(vst2::effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    plugin.dispatch(vst2::effEditClose);
    plugin.onSizeWindow = nullptr;
}

} // namespace kavren
