#include "editor/CKavrenEditor.h"

#include "dsp/CKavren.h"
#include "editor/EditorBitmaps.h"
#include "editor/EditorPresets.h"
#include "editor/MultiDisplay.h"
#include "editor/PolledControl.h"
#include "editor/PresetBrowser.h"
#include "editor/ReadoutLine.h"
#include "editor/RoutingPicture.h"
#include "editor/ScaleMenu.h"
#include "editor/StackedSwitch.h"
#include "frame/TessuOS.h"
#include "gui/Bitmap.h"
#include "gui/Buttons.h"
#include "gui/Font.h"
#include "gui/Knob.h"
#include "gui/MyFrame.h"
#include "gui/ParamDisplay.h"
#include "gui/TimerService.h"
#include "support/SupportFile.h"
#include "update/PelluSession.h"
#include "update/views/CModalMessagePresenter.h"
#include "update/views/CUpdateNotification.h"

#include <algorithm>
#include <cmath>
#include <functional>

using namespace Mirda;
using namespace KavrenLayout;

namespace {

constexpr int32_t fourCC(const char (&text)[5]) {
    return (text[0] << 24) | (text[1] << 16) | (text[2] << 8) | text[3];
}

// A main dial: a double click opens the field to type its value.
class CDial : public PolledControl<Mirda_AnimKnob> {
public:
    CDial(const CRect& size, int32_t tag, int32_t frames, double frameHeight, CBitmap* strip,
          std::function<void(CControl*)> typeValue)
        : PolledControl(size, nullptr, tag, frames, frameHeight, strip), m_typeValue(std::move(typeValue)) {}

    int32_t onMouseDown(CPoint& where, int32_t buttons) override {
        if ((buttons & kLButton) && (buttons & kDoubleClick)) {
            m_typeValue(this);
            return kMouseHandledNoFollow;
        }
        return PolledControl::onMouseDown(where, buttons);
    }

private:
    std::function<void(CControl*)> m_typeValue;
};

// The LED slope selector reads out the slope as its numbers show it.
class CSlopeSelector : public PolledControl<Mirda_RadioGroup> {
public:
    using PolledControl::PolledControl;
    std::string getReadoutText() const override {
        return std::string(m_parameter ? m_parameter->getName() : "") + ": " +
               kSlopeNames[size_t(std::clamp(getSelected(), 0, 3))] + " dB/oct";
    }
};

// The mode switch reads out with the panel's words for the routing.
class CModeSwitch : public PolledControl<CStackedSwitch> {
public:
    using PolledControl::PolledControl;
    std::string getReadoutText() const override {
        return isOn() ? "Routing: PAR (parallel)" : "Routing: SER (series)";
    }
};

constexpr CColor kValueText{222, 226, 232, 255};
constexpr CColor kInnerValueText{200, 236, 255, 255};

} // namespace

CKavrenEditor::CKavrenEditor(CKavren* effect) : CMirdanelEditor(effect, kWidth, kHeight) {
    EditorBitmaps::acquire();
    readout_.initFromDescriptor({"READOUT", "READOUT", "READOUT", 0.0f, 1.0f, 0.0f, 0.0f, false, 0.0f,
                                 Tessu::kUnitText, fourCC("ppRD")});
    readout_.setLinkedText(readoutText_, sizeof readoutText_);
    infoPage_.initFromDescriptor({"INFOPAGE", "INFOPAGE", "INFOPAGE", 0.0f, 1.0f, 1.0f, 1.0f, false, 0.0f,
                                  Tessu::kUnitOnOff, fourCC("IPGE")});
}

CKavrenEditor::~CKavrenEditor() {
    close();
    EditorBitmaps::release();
}

void CKavrenEditor::close() {
    if (presets_) presets_->windowClosed();
    CMirdanelEditor::close();
}

void CKavrenEditor::frameClosing() {
    valueEntry_.close();
    if (presenter_) presenter_->detach();
    presenter_.reset();
    display_ = nullptr;
    updateNotice_ = nullptr;
}

void CKavrenEditor::onIdle() {
    // The read-out follows its parameter when the host changes it.
    if (auto* frame = static_cast<CMyFrame*>(getFrame())) frame->refreshReadout();
    if (presets_) presets_->idle();
    if (display_) display_->update(double(CTimerService::instance().now()));
    if (presenter_) presenter_->pump();
    if (updateNotice_) updateNotice_->onTimer();
}

CFrame* CKavrenEditor::makeFrame(const CRect& size) {
    return new CMyFrame(size, this, &readout_, kDefaultReadout);
}

CRect CKavrenEditor::place(int x, int y, double width, double height) const {
    return CRect::fromSize(std::round(px(x)), std::round(px(y)), width, height);
}

CBitmap* CKavrenEditor::bitmap(int id) const {
    return EditorBitmaps::get(static_cast<EditorBitmaps::Id>(id), getScale());
}

void CKavrenEditor::createControls(CFrame* frame) {
    // Every opening starts from the resting text: nothing from the last one is shown.
    readout_.setValueFromText(kDefaultReadout);
    frame->setBackground(bitmap(EditorBitmaps::kBackground));
    frame->addView(new CScaleMenu(frame->getViewSize(), *this));
    for (const Dial& dial : kDials) addDial(frame, dial);
    addSlopeSelector(frame, "LOWPASSSLOPE", kLowSlope);
    addSlopeSelector(frame, "HIGHPASSSLOPE", kHighSlope);
    presenter_ = std::make_unique<Pellu::CModalMessagePresenter>(frame);
    ModuleWindowContext context;
    context.effect = static_cast<CKavren*>(getEffect());
    context.scale = getScale();
    context.poll = [this](CControl* control, Tessu::ParameterProperty* parameter) {
        pollParameter(control, parameter);
    };
    if (getEffect())
        context.requestSupport = [this] { Support::requestSupportFile(*getEffect(), *presenter_); };
    display_ =
        new CMultiDisplay(place(kDisplay.x, kDisplay.y, px(kDisplay.width), px(kDisplay.height)), context);
    display_->setVisible(infoPage_.getBoolValue());
    frame->addView(display_);
    addSwitch(frame, "LINKFILTERS", kLinkSwitch, EditorBitmaps::kLinkSwitch);
    addSwitch(frame, "FILTERMODE", kModeSwitch, EditorBitmaps::kModeSwitch);
    addRoutingPicture(frame);
    addReadout(frame);
    addPresetBrowser(frame);
    addUpdateNotice(frame);
}

// Shown as an icon that asks when clicked; with the shipped settings the service never finds an update,
// so the notice stays empty.
void CKavrenEditor::addUpdateNotice(CFrame* frame) {
    Pellu::CSession* session = Pellu::service().findSession("KavrenXL");
    if (!session) return;
    updateNotice_ = new Pellu::CUpdateNotification(
        place(kUpdateNotifier.x, kUpdateNotifier.y, px(kUpdateNotifier.width), px(kUpdateNotifier.height)),
        *session, true, presenter_.get());
    frame->addView(updateNotice_);
}

void CKavrenEditor::addDial(CFrame* frame, const Dial& dial) {
    Tessu::ParameterProperty* parameter = getEffect() ? getEffect()->findParameterByKey(dial.key) : nullptr;
    if (!parameter) return;
    const int id = dial.kind == kInnerDial ? EditorBitmaps::kSmallDial
                   : dial.kind == kMixDial ? EditorBitmaps::kMixDial
                                           : EditorBitmaps::kBigDial;
    CBitmap* strip = bitmap(id);
    const double width = strip ? strip->getWidth() : std::round(px(dialSize(dial.kind)));
    const int frames = strip && width > 0 ? static_cast<int>(strip->getHeight() / width) : kDialFrames;
    const Box label = valueLabel(dial);
    const CRect labelRect = place(label.x, label.y, px(label.width), px(label.height));
    auto* knob = new CDial(
        place(dial.x, dial.y, width, width), parameter->getId(), frames > 0 ? frames : kDialFrames, width,
        strip, [this, labelRect](CControl* control) { typeValue(labelRect, control->getParameter()); });
    knob->setDragRange(static_cast<float>(px(200)));
    knob->setFineFactor(10.0f);
    knob->setDetent(dial.detent, 0.5f, 0.05f);
    pollParameter(knob, parameter);
    frame->addView(knob);

    auto* value = new PolledControl<Mirda_ParamDisplay>(labelRect, 100);
    const bool mix = dial.kind == kMixDial;
    auto* font = new CFontDesc("Arial", px(mix ? 11 : 10), kBoldFace);
    value->setFont(font);
    value->setMinimumFontSize(px(mix ? 9 : 8));
    font->release();
    value->setFontColor(mix                       ? CColor{255, 255, 255, 220}
                        : dial.kind == kInnerDial ? kInnerValueText
                                                  : kValueText);
    value->setMouseEnabled(false);
    pollParameter(value, parameter);
    frame->addView(value);
}

void CKavrenEditor::addSlopeSelector(CFrame* frame, const char* key, const Box& box) {
    Tessu::ParameterProperty* parameter = getEffect() ? getEffect()->findParameterByKey(key) : nullptr;
    if (!parameter) return;
    // The group spans the LEDs and their numbers (right of the low-pass LEDs, left of the high-pass
    // ones): a click on either picks the slope.
    const bool labelsLeft = box.x > kWidth / 2;
    const int labels = kSlopeLabelWidth + 3, left = labelsLeft ? box.x - labels : box.x;
    const double ledX = std::round(px(labelsLeft ? labels : 0));
    std::vector<CRect> choices, hitAreas;
    for (int i = 0; i < 4; ++i) {
        const double top = std::round(px(kLedPitch * i));
        choices.push_back(CRect::fromSize(ledX, top, px(kLedWidth), px(kLedHeight)));
        hitAreas.push_back(CRect::fromSize(0, top, px(box.width + labels), px(kLedHeight)));
    }
    auto* group = new CSlopeSelector(place(left, box.y, px(box.width + labels), px(box.height)), nullptr,
                                     parameter->getId(), choices, bitmap(EditorBitmaps::kLedOff),
                                     bitmap(EditorBitmaps::kLedOn));
    group->setHitAreas(hitAreas);
    pollParameter(group, parameter);
    frame->addView(group);
}

void CKavrenEditor::addSwitch(CFrame* frame, const char* key, const Box& box, int bitmapId) {
    Tessu::ParameterProperty* parameter = getEffect() ? getEffect()->findParameterByKey(key) : nullptr;
    if (!parameter) return;
    CBitmap* image = bitmap(bitmapId);
    const double width = image ? image->getWidth() : px(box.width);
    const double height = image ? image->getHeight() / 2 : px(box.height);
    const CRect where = place(box.x, box.y, width, height);
    CControl* control = box.x == kModeSwitch.x
                            ? new CModeSwitch(where, parameter->getId(), image)
                            : new PolledControl<CStackedSwitch>(where, parameter->getId(), image);
    pollParameter(control, parameter);
    frame->addView(control);
}

void CKavrenEditor::addRoutingPicture(CFrame* frame) {
    Tessu::ParameterProperty* mode = getEffect() ? getEffect()->findParameterByKey("FILTERMODE") : nullptr;
    if (!mode) return;
    const Box& box = kRoutingPicture;
    auto* picture =
        new PolledControl<CRoutingPicture>(place(box.x, box.y, px(box.width), px(box.height)), getScale());
    pollParameter(picture, mode);
    frame->addView(picture);
}

void CKavrenEditor::typeValue(const CRect& over, Tessu::ParameterProperty* parameter) {
    if (parameter && parameter->getUnitKind() != Tessu::kUnitText)
        valueEntry_.open(getFrame(), over, parameter, getScale());
}

void CKavrenEditor::addReadout(CFrame* frame) {
    auto* line = new CReadoutLine(place(kReadout.x, kReadout.y, px(kReadout.width), px(kReadout.height)),
                                  getScale(), [this](const CRect& over) {
                                      CControl* source =
                                          getFrame() ? getFrame()->getReadoutSource() : nullptr;
                                      if (source) typeValue(over, source->getParameter());
                                  });
    // The read-out property belongs to the editor and changes only on the GUI thread: listening is safe.
    line->bindParameter(&readout_);
    frame->addView(line);
}

void CKavrenEditor::addPresetBrowser(CFrame* frame) {
    auto* effect = static_cast<CKavren*>(getEffect());
    if (!effect) return;
    // Made with the first window: an effect that is never shown never reads the preset settings.
    if (!presets_) presets_ = std::make_unique<CEditorPresets>(*effect, [this] { return getFrame(); });
    const Box& box = kPresetBrowser;
    frame->addView(new CPresetBrowser(place(box.x, box.y, px(box.width), px(box.height)), *presets_,
                                      getScale(), bitmap(EditorBitmaps::kArrowLeft),
                                      bitmap(EditorBitmaps::kArrowRight), bitmap(EditorBitmaps::kArrowDown)));
}
