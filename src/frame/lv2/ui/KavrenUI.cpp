#include "frame/lv2/ui/KavrenUI.h"

#include "editor/CMirdanelEditor.h"
#include "frame/IdleList.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/TessuLV2.h"
#include "gui/IFrame.h"
#include "params/ParameterProperty.h"

#include <cmath>

namespace Tessu::lv2 {

namespace {

bool isParameterIndex(int32_t hostIndex) {
    return hostIndex >= 0 && hostIndex < kParameterPorts;
}

} // namespace

KavrenUI::KavrenUI(Factory factory, const UiHost& host) : host_(host), model_(factory(this)) {
    if (!model_) return;
    for (int32_t i = 0; i < kParameterPorts; ++i)
        if (ParameterProperty* parameter = model_->getHostParameter(i)) parameter->addListener(this, false);
}

KavrenUI::~KavrenUI() {
    if (!model_) return;
    if (IPluginEditor* editor = model_->getEditor()) editor->close();
    for (int32_t i = 0; i < kParameterPorts; ++i)
        if (ParameterProperty* parameter = model_->getHostParameter(i)) parameter->removeListener(this);
}

unsigned long KavrenUI::open(unsigned long parent) {
    auto* editor = dynamic_cast<CMirdanelEditor*>(valid() ? model_->getEditor() : nullptr);
    if (!editor) return 0;
    editor->setHostScale(host_.scale);
    if (!editor->open(reinterpret_cast<void*>(parent))) return 0;
    double size[4];
    editor->getSize(size);
    sizeWindow(int32_t(size[2]), int32_t(size[3]));
    Mirda::IFrame* window = editor->getFrame() ? editor->getFrame()->getPlatformFrame() : nullptr;
    return window ? reinterpret_cast<unsigned long>(window->getPlatformHandle()) : 0;
}

void KavrenUI::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    const int32_t hostIndex = int32_t(port) - int32_t(kFirstParameter);
    if (format != 0 || size != sizeof(float) || !buffer || !isParameterIndex(hostIndex) || !model_) return;
    const float value = *static_cast<const float*>(buffer);
    ParameterProperty* parameter = model_->getHostParameter(hostIndex);
    if (!parameter || !std::isfinite(value) || parameter->getValue() == value) return;
    applyingPort_ = true;
    parameter->setValue(value);
    applyingPort_ = false;
}

int KavrenUI::hostIdle() {
    IdleList::instance().pump();
    IPluginEditor* editor = model_ ? model_->getEditor() : nullptr;
    return editor && editor->isOpen() ? 0 : 1;
}

void KavrenUI::parameterChanged(IPluginParameter* changed) {
    auto* parameter = static_cast<ParameterProperty*>(changed);
    if (applyingPort_ || !parameter || !host_.write) return;
    const int32_t hostIndex = parameter->getHostIndex();
    if (!isParameterIndex(hostIndex) || (gesture_ >= 0 && gesture_ != hostIndex)) return;
    const float value = parameter->getValue();
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
