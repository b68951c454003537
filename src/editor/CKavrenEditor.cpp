#include "editor/CKavrenEditor.h"

#include "dsp/CKavren.h"
#include "editor/EditorBitmaps.h"
#include "editor/EditorPresets.h"
#include "editor/MultiDisplay.h"
#include "editor/PolledControl.h"
#include "editor/PresetBrowser.h"
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

#include <cmath>

using namespace Mirda;
using namespace KavrenLayout;

namespace {

constexpr int32_t fourCC(const char (&text)[5]) {
    return (text[0] << 24) | (text[1] << 16) | (text[2] << 8) | text[3];
}

// The read-out line shows the text of the editor's READOUT property.
class CReadoutLine : public Mirda_ParamDisplay {
public:
    using Mirda_ParamDisplay::Mirda_ParamDisplay;
    std::string formatText(float) const override {
        const char* text = m_parameter ? m_parameter->getLinkedText() : nullptr;
        return text ? text : "";
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
    readout_.setValueFromText(kDefaultReadout);
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
    if (presenter_) presenter_->detach();
    presenter_.reset();
    display_ = nullptr;
    updateNotice_ = nullptr;
}

void CKavrenEditor::onIdle() {
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
    auto* knob =
        new PolledControl<Mirda_AnimKnob>(place(dial.x, dial.y, width, width), nullptr, parameter->getId(),
                                          frames > 0 ? frames : kDialFrames, width, strip);
    knob->setDragRange(static_cast<float>(px(200)));
    knob->setFineFactor(10.0f);
    knob->setDetent(dial.detent, 0.5f, 0.05f);
    pollParameter(knob, parameter);
    frame->addView(knob);

    const Box label = valueLabel(dial);
    auto* value = new PolledControl<Mirda_ParamDisplay>(
        place(label.x, label.y, px(label.width), px(label.height)), 100);
    const bool mix = dial.kind == kMixDial;
    auto* font = new CFontDesc("Arial", px(mix ? 11 : 10), kBoldFace);
    value->setFont(font);
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
    std::vector<CRect> choices;
    for (int i = 0; i < 4; ++i)
        choices.push_back(CRect::fromSize(0, std::round(px(kLedPitch * i)), px(kLedWidth), px(kLedHeight)));
    auto* group = new PolledControl<Mirda_RadioGroup>(
        place(box.x, box.y, px(box.width), px(box.height)), nullptr, parameter->getId(), choices,
        bitmap(EditorBitmaps::kLedOff), bitmap(EditorBitmaps::kLedOn));
    pollParameter(group, parameter);
    frame->addView(group);
}

void CKavrenEditor::addSwitch(CFrame* frame, const char* key, const Box& box, int bitmapId) {
    Tessu::ParameterProperty* parameter = getEffect() ? getEffect()->findParameterByKey(key) : nullptr;
    if (!parameter) return;
    CBitmap* image = bitmap(bitmapId);
    const double width = image ? image->getWidth() : px(box.width);
    const double height = image ? image->getHeight() / 2 : px(box.height);
    auto* control =
        new PolledControl<CStackedSwitch>(place(box.x, box.y, width, height), parameter->getId(), image);
    pollParameter(control, parameter);
    frame->addView(control);
}

void CKavrenEditor::addReadout(CFrame* frame) {
    auto* line =
        new CReadoutLine(place(kReadout.x, kReadout.y, px(kReadout.width), px(kReadout.height)), 100);
    auto* font = new CFontDesc("Arial", px(14), kBoldFace);
    line->setFont(font);
    font->release();
    line->setFontColor(CColor{250, 200, 60, 225});
    line->setMouseEnabled(false);
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
