// The editor base of the effects built on the Mirda GUI: it owns the frame while the editor is open,
// places it in the host's window, gives it idle time from the process-wide idle list and reports the
// controls' gestures to the host. The layout is the subclass's (createControls), drawn at a scale of
// 100, 150 or 200 %: every position, bitmap and font is built for that scale, so nothing is stretched.
#pragma once

#include "frame/PluginEditor.h"
#include "gui/Frame.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tessu {
class ParameterProperty;
class TessuOS;
} // namespace Tessu

namespace Mirda {
class CControl;
class IPlatformWindow;
} // namespace Mirda

class CMirdanelEditor : public Tessu::IPluginEditor, public Mirda::IEditor {
public:
    // `width` x `height` is the editor's size at 100 %.
    CMirdanelEditor(Tessu::TessuOS* effect, int width, int height);
    ~CMirdanelEditor() override;

    bool getSize(double rect[4]) override;
    bool open(void* parent) override;
    void close() override;
    bool isOpen() const override { return window_ != nullptr; }
    void idle() override;
    int32_t onKeyDown(const Tessu::EditorKey& key) override;
    int32_t onKeyUp(const Tessu::EditorKey& key) override;
    bool onWheel(float distance) override;
    void setHostScale(float scale) override {
        hostScale_ = scale;
        scaleKnown_ = false;
    }
    void setFixedScale(float scale) override { setScale(scale); }
    bool renderOffscreen(const Tessu::EditorPixels& out) override;
    void keepOffscreen(bool keep) override;
    bool clickOffscreen(int32_t x, int32_t y) override;

    // Mirda::IEditor: a control's gesture goes to the host as begin-edit / end-edit.
    void beginEdit(Mirda::CControl* control) override;
    void endEdit(Mirda::CControl* control) override;

    // The scale the editor is (or will be) drawn at.
    double getScale() const { return scale_; }
    // Fixes the scale (1, 1.5 or 2; anything else picks the nearest); 0 goes back to choosing it.
    void setScale(double scale);
    // Chooses the scale (user setting, host, X server) unless one was fixed or it is already known.
    void chooseScale();
    // The user's choice: stores it as the EditorScale setting ("auto" or a percentage) and, when the
    // editor is open in a host that resizes its window, rebuilds it at that scale at the next idle pass
    // and asks the host for the new size. Other hosts keep the size the editor opened with; the next
    // opening takes the new one.
    void requestScale(const std::string& setting);
    // Whether the host resizes the editor's window when asked.
    bool hostCanResize() const;
    Mirda::CFrame* getFrame() const { return frame_; }
    uint64_t getOpenTime() const { return openTime_; }
    Tessu::TessuOS* getEffect() const { return effect_; }

protected:
    // Builds the views into `frame`.
    virtual void createControls(Mirda::CFrame* frame) = 0;
    // The frame for the editor's rect (scaled); the base makes a plain CFrame.
    virtual Mirda::CFrame* makeFrame(const Mirda::CRect& size);
    // Called after each idle pass, and before each offscreen drawing.
    virtual void onIdle() {}
    // The frame and its views are about to go.
    virtual void frameClosing() {}
    // Design pixels to device pixels.
    double px(double designPixels) const { return designPixels * scale_; }

    // A control whose parameter belongs to the effect: it is not a listener of the parameter (hosts
    // change parameters on other threads); the idle pass compares values and updates it instead.
    void pollParameter(Mirda::CControl* control, Tessu::ParameterProperty* parameter);
    // Applies parameter values changed elsewhere to the polled controls; the frame's idle shows them.
    void syncPolledControls();

private:
    Mirda::CFrame* buildFrame();
    void releaseFrame();
    void applyRequestedScale();

    struct Polled {
        Mirda::CControl* control;
        Tessu::ParameterProperty* parameter;
        float shown;
    };

    Tessu::TessuOS* effect_;
    int width_, height_;
    double scale_ = 1.0;
    bool scaleFixed_ = false;
    // The scale has been chosen since the sources last changed (getSize answers consistently).
    bool scaleKnown_ = false;
    float hostScale_ = 0.0f;
    Mirda::CFrame* frame_ = nullptr;
    Mirda::IPlatformWindow* window_ = nullptr;
    void* parent_ = nullptr;
    bool rescale_ = false;
    bool keepOffscreen_ = false;
    uint64_t openTime_ = 0;
    std::vector<Polled> polled_;
    // Parameters under a gesture the host was told about (begin without end yet); the frame's end
    // ends them, so no host is left with an open gesture.
    std::vector<Tessu::ParameterProperty*> openGestures_;
    std::recursive_mutex lock_;
};
