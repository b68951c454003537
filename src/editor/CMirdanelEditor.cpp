#include "editor/CMirdanelEditor.h"

#include "editor/EditorScale.h"
#include "frame/IdleList.h"
#include "frame/TessuCallback.h"
#include "frame/TessuOS.h"
#include "gui/Control.h"
#include "gui/DrawContext.h"
#include "gui/PlatformWindow.h"
#include "gui/TimerService.h"
#include "params/ParameterProperty.h"

#include <algorithm>
#include <cmath>

using Mirda::CFrame;
using Mirda::CRect;

CMirdanelEditor::CMirdanelEditor(Tessu::TessuOS* effect, int width, int height)
    : effect_(effect), width_(width), height_(height) {}

CMirdanelEditor::~CMirdanelEditor() {
    close();
    Tessu::IdleList::instance().remove(this);
}

bool CMirdanelEditor::getSize(double rect[4]) {
    if (!isOpen()) chooseScale();
    rect[0] = 0.0;
    rect[1] = 0.0;
    rect[2] = std::round(width_ * scale_);
    rect[3] = std::round(height_ * scale_);
    return true;
}

void CMirdanelEditor::setScale(double scale) {
    scaleFixed_ = scale > 0;
    scaleKnown_ = false;
    if (scaleFixed_) scale_ = EditorScale::snap(scale);
}

void CMirdanelEditor::chooseScale() {
    if (scaleFixed_ || scaleKnown_) return;
    scaleKnown_ = true;
    const std::string setting = EditorScale::readSetting();
    const bool needServer = std::atof(setting.c_str()) <= 0 && hostScale_ <= 0;
    scale_ = EditorScale::choose(setting, hostScale_, needServer ? EditorScale::serverDpi(parent_) : 0.0);
}

void CMirdanelEditor::requestScale(const std::string& setting) {
    EditorScale::writeSetting(setting);
    if (isOpen() && !hostCanResize()) return;
    scaleFixed_ = false;
    scaleKnown_ = false;
    rescale_ = isOpen();
}

bool CMirdanelEditor::hostCanResize() const {
    return effect_ && effect_->getCallback() && effect_->getCallback()->canResizeWindow();
}

void CMirdanelEditor::applyRequestedScale() {
    rescale_ = false;
    const double before = scale_;
    scaleKnown_ = false;
    chooseScale();
    if (scale_ == before) return;
    void* parent = parent_;
    close();
    open(parent);
    double size[4];
    getSize(size);
    if (effect_ && effect_->getCallback())
        effect_->getCallback()->sizeWindow(static_cast<int32_t>(size[2]), static_cast<int32_t>(size[3]));
}

CFrame* CMirdanelEditor::makeFrame(const CRect& size) {
    return new CFrame(size, this);
}

CFrame* CMirdanelEditor::buildFrame() {
    polled_.clear();
    double size[4];
    getSize(size);
    CFrame* frame = makeFrame(CRect(0, 0, size[2], size[3]));
    createControls(frame);
    return frame;
}

void CMirdanelEditor::releaseFrame() {
    const std::vector<Tessu::ParameterProperty*> open = std::move(openGestures_);
    openGestures_.clear();
    if (effect_)
        for (Tessu::ParameterProperty* parameter : open) effect_->endEdit(parameter);
    frameClosing();
    polled_.clear();
    frame_->close();
    frame_->release();
    frame_ = nullptr;
}

bool CMirdanelEditor::open(void* parent) {
    if (!parent) return false;
    if (isOpen()) return true;
    std::lock_guard guard(lock_);
    keepOffscreen_ = false;
    if (frame_) releaseFrame();
    // The screen the host's window is on decides (hosts ask for the size again after opening).
    if (parent != parent_) scaleKnown_ = false;
    parent_ = parent;
    chooseScale();
    frame_ = buildFrame();
    Mirda::IPlatformWindow* window = Mirda::openPlatformWindow(frame_, parent);
    if (!window) {
        releaseFrame();
        return false;
    }
    frame_->setPlatformFrame(window);
    window->release(); // the frame holds it now
    window_ = window;
    parent_ = parent;
    openTime_ = Mirda::CTimerService::instance().now();
    idle();
    Tessu::IdleList::instance().add(this);
    return true;
}

void CMirdanelEditor::close() {
    std::lock_guard guard(lock_);
    Tessu::IdleList::instance().remove(this);
    if (!frame_) return;
    window_ = nullptr;
    releaseFrame();
    scaleKnown_ = false; // the next open looks at the sources again
}

void CMirdanelEditor::idle() {
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock() || !window_) return;
    syncPolledControls();
    window_->pump();
    if (!window_->isOpen()) return close(); // the display is gone: the editor closes quietly
    onIdle();
    // After the pass: the frame is not rebuilt from inside its own event handling.
    if (rescale_) applyRequestedScale();
}

int32_t CMirdanelEditor::onKeyDown(const Tessu::EditorKey& key) {
    if (!frame_) return 0;
    Mirda::VstKeyCode code{key.character, key.virtualKey, key.modifiers};
    return frame_->onKeyDown(code);
}

int32_t CMirdanelEditor::onKeyUp(const Tessu::EditorKey& key) {
    if (!frame_) return 0;
    Mirda::VstKeyCode code{key.character, key.virtualKey, key.modifiers};
    return frame_->onKeyUp(code);
}

bool CMirdanelEditor::onWheel(float distance) {
    if (!frame_) return false;
    return frame_->onWheel(frame_->getLastMousePosition(), 0, distance, frame_->getLastButtons());
}

bool CMirdanelEditor::renderOffscreen(const Tessu::EditorPixels& out) {
    double size[4];
    getSize(size);
    if (!out.pixels || out.width != static_cast<int32_t>(size[2]) ||
        out.height != static_cast<int32_t>(size[3]) || out.stride < out.width * 4)
        return false;
    std::lock_guard guard(lock_);
    const bool temporary = frame_ == nullptr;
    if (temporary) {
        chooseScale();
        frame_ = buildFrame();
    }
    syncPolledControls();
    onIdle();
    auto* context =
        new Mirda::CDrawContext(Mirda::CPixelBuffer{out.pixels, out.width, out.height, out.stride});
    context->clear(Mirda::kBlackCColor);
    frame_->renderAll(context);
    context->release();
    if (temporary) releaseFrame();
    return true;
}

void CMirdanelEditor::keepOffscreen(bool keep) {
    std::lock_guard guard(lock_);
    if (window_ || keep == keepOffscreen_) return;
    keepOffscreen_ = keep;
    if (keep) {
        chooseScale();
        frame_ = buildFrame();
    } else if (frame_) {
        releaseFrame();
    }
}

bool CMirdanelEditor::clickOffscreen(int32_t x, int32_t y) {
    std::lock_guard guard(lock_);
    if (window_ || !frame_) return false;
    Mirda::CPoint where(x, y);
    if (frame_->onMouseDown(where, Mirda::kLButton) == Mirda::kMouseHandled)
        frame_->onMouseUp(where, Mirda::kLButton);
    return true;
}

void CMirdanelEditor::beginEdit(Mirda::CControl* control) {
    if (!effect_ || !control || !control->getParameter()) return;
    openGestures_.push_back(control->getParameter());
    effect_->beginEdit(control->getParameter());
}

void CMirdanelEditor::endEdit(Mirda::CControl* control) {
    if (!effect_ || !control || !control->getParameter()) return;
    const auto open = std::find(openGestures_.begin(), openGestures_.end(), control->getParameter());
    if (open != openGestures_.end()) openGestures_.erase(open);
    effect_->endEdit(control->getParameter());
}

void CMirdanelEditor::pollParameter(Mirda::CControl* control, Tessu::ParameterProperty* parameter) {
    if (!control || !parameter) return;
    control->bindParameter(parameter);
    polled_.push_back({control, parameter, parameter->getNormalizedValue()});
}

void CMirdanelEditor::syncPolledControls() {
    for (Polled& entry : polled_) {
        const float value = entry.parameter->getNormalizedValue();
        if (value == entry.shown) continue;
        entry.shown = value;
        entry.control->parameterChanged(entry.parameter);
    }
}
