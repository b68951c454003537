#include "frame/lv2/ui/KavrenUI.h"

#include "dsp/CKavren.h"
#include "editor/CMirdanelEditor.h"
#include "frame/IdleList.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "gui/IFrame.h"
#include "params/ParameterProperty.h"

#include <cmath>
#include <limits>

namespace Tessu::lv2 {

namespace {

constexpr float kNoReport = std::numeric_limits<float>::quiet_NaN();

bool isParameterIndex(int32_t hostIndex) {
    return hostIndex >= 0 && hostIndex < kParameterPorts;
}

} // namespace

KavrenUI::KavrenUI(Factory factory, const UiHost& host, const std::vector<PortPreset>* presets)
    : host_(host), presets_(presets), model_(factory(this)) {
    reported_.fill(kNoReport);
    if (!model_) return;
    for (int32_t i = 0; i < kParameterPorts; ++i)
        if (ParameterProperty* parameter = model_->getHostParameter(i)) {
            parameter->addListener(this, false);
            ports_[size_t(i)] = portValue(*parameter, parameter->getValue());
        }
}

KavrenUI::~KavrenUI() {
    if (!model_) return;
    if (IPluginEditor* editor = model_->getEditor()) editor->close();
    for (int32_t i = 0; i < kParameterPorts; ++i)
        if (ParameterProperty* parameter = model_->getHostParameter(i)) parameter->removeListener(this);
}

void* KavrenUI::open(void* parent) {
    auto* editor = dynamic_cast<CMirdanelEditor*>(valid() ? model_->getEditor() : nullptr);
    if (!editor) return nullptr;
    editor->setHostScale(host_.scale);
    if (!editor->open(parent)) return nullptr;
    double size[4];
    editor->getSize(size);
    sizeWindow(int32_t(size[2]), int32_t(size[3]));
    Mirda::IFrame* window = editor->getFrame() ? editor->getFrame()->getPlatformFrame() : nullptr;
    return window ? window->getPlatformHandle() : nullptr;
}

void KavrenUI::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    const int32_t hostIndex = int32_t(port) - int32_t(kFirstParameter);
    if (format != 0 || size != sizeof(float) || !buffer || !isParameterIndex(hostIndex) || !model_) return;
    const float value = *static_cast<const float*>(buffer);
    if (std::isfinite(value)) reported_[size_t(hostIndex)] = value;
}

void KavrenUI::applyPortEvents() {
    std::array<ParameterProperty*, kParameterPorts> moved{};
    int count = 0;
    for (int32_t i = 0; i < kParameterPorts; ++i) {
        const float value = reported_[size_t(i)];
        reported_[size_t(i)] = kNoReport;
        if (std::isnan(value) || value == ports_[size_t(i)]) continue;
        ports_[size_t(i)] = value;
        if (ParameterProperty* parameter = model_->getHostParameter(i)) moved[size_t(count++)] = parameter;
    }
    if (count == 0) return;
    applyingPort_ = true;
    if (count > 1) model_->beginUpdate();
    for (int n = 0; n < count; ++n) {
        ParameterProperty& parameter = *moved[size_t(n)];
        parameter.setValue(plainValue(parameter, ports_[size_t(parameter.getHostIndex())]));
    }
    if (count > 1) model_->endUpdate();
    applyingPort_ = false;
    nameHostSettings(count);
}

void KavrenUI::nameHostSettings(int moved) {
    auto* effect = dynamic_cast<CKavren*>(model_.get());
    if (!effect) return;
    if (const PortPreset* preset = matchingPreset())
        effect->setPresetName(preset->name.c_str());
    else if (moved > 1)
        effect->setPresetName(kUnknownSettingsName);
}

// Ports equal a preset within a hair of their range: hosts may keep port values as rounded text.
const PortPreset* KavrenUI::matchingPreset() const {
    if (!presets_) return nullptr;
    for (const PortPreset& preset : *presets_) {
        bool same = preset.ports.size() == ports_.size();
        for (int32_t i = 0; same && i < kParameterPorts; ++i) {
            const ParameterProperty& parameter = *model_->getHostParameter(i);
            const float tolerance = 1e-5f * (portMaximum(parameter) - portMinimum(parameter));
            same = std::fabs(preset.ports[size_t(i)] - ports_[size_t(i)]) <= tolerance;
        }
        if (same) return &preset;
    }
    return nullptr;
}

int KavrenUI::hostIdle() {
    if (model_) applyPortEvents();
    IdleList::instance().pump();
    IPluginEditor* editor = model_ ? model_->getEditor() : nullptr;
    return editor && editor->isOpen() ? 0 : 1;
}

void KavrenUI::parameterChanged(IPluginParameter* changed) {
    auto* parameter = static_cast<ParameterProperty*>(changed);
    if (applyingPort_ || !parameter || !host_.write) return;
    const int32_t hostIndex = parameter->getHostIndex();
    if (!isParameterIndex(hostIndex) || (gesture_ >= 0 && gesture_ != hostIndex)) return;
    const float value = portValue(*parameter, parameter->getValue());
    ports_[size_t(hostIndex)] = value;
    host_.write(host_.controller, kFirstParameter + uint32_t(hostIndex), sizeof(float), 0, &value);
}

int32_t KavrenUI::beginEdit(int32_t hostIndex) {
    if (!isParameterIndex(hostIndex)) return 0;
    gesture_ = hostIndex;
    touch(hostIndex, true);
    return 1;
}

int32_t KavrenUI::endEdit(int32_t hostIndex) {
    if (!isParameterIndex(hostIndex)) return 0;
    touch(hostIndex, false);
    if (gesture_ == hostIndex) gesture_ = -1;
    return 1;
}

void KavrenUI::touch(int32_t hostIndex, bool grabbed) {
    if (host_.touch && host_.touch->touch)
        host_.touch->touch(host_.touch->handle, kFirstParameter + uint32_t(hostIndex), grabbed);
}

bool KavrenUI::sizeWindow(int32_t width, int32_t height) {
    return host_.resize && host_.resize->ui_resize &&
           host_.resize->ui_resize(host_.resize->handle, width, height) == 0;
}

} // namespace Tessu::lv2
