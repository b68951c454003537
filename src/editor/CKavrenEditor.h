// The effect's editor: a 534 x 488 panel with every parameter of the effect's front page as dials, LED
// selectors and switches, the value read-out line, the central display and the preset browser.
#pragma once

#include "editor/CMirdanelEditor.h"
#include "editor/KavrenLayout.h"
#include "params/ParameterProperty.h"

#include <memory>

class CEditorPresets;
class CKavren;
class CMultiDisplay;

namespace Pellu {
class CModalMessagePresenter;
class CUpdateNotification;
} // namespace Pellu

namespace Mirda {
class CBitmap;
}

class CKavrenEditor : public CMirdanelEditor {
public:
    static constexpr int kWidth = KavrenLayout::kWidth;
    static constexpr int kHeight = KavrenLayout::kHeight;
    // The read-out line's text when the pointer is over no control.
    static constexpr const char* kDefaultReadout = "Kavren XL";

    explicit CKavrenEditor(CKavren* effect);
    ~CKavrenEditor() override;
    // The effect's editor factory (CKavren::EditorFactory), for the plug-in libraries' entry points.
    static Tessu::IPluginEditor* create(CKavren& effect) { return new CKavrenEditor(&effect); }

    Tessu::ParameterProperty& readout() { return readout_; }
    Tessu::ParameterProperty& infoPage() { return infoPage_; }
    CMultiDisplay* getDisplay() const { return display_; }
    void close() override;

protected:
    void createControls(Mirda::CFrame* frame) override;
    Mirda::CFrame* makeFrame(const Mirda::CRect& size) override;
    void onIdle() override;
    void frameClosing() override;

private:
    Mirda::CRect place(int x, int y, double width, double height) const;
    Mirda::CBitmap* bitmap(int id) const;
    void addDial(Mirda::CFrame* frame, const KavrenLayout::Dial& dial);
    void addSlopeSelector(Mirda::CFrame* frame, const char* key, const KavrenLayout::Box& box);
    void addSwitch(Mirda::CFrame* frame, const char* key, const KavrenLayout::Box& box, int bitmapId);
    void addReadout(Mirda::CFrame* frame);
    void addUpdateNotice(Mirda::CFrame* frame);
    void addPresetBrowser(Mirda::CFrame* frame);

    Tessu::ParameterProperty readout_;
    Tessu::ParameterProperty infoPage_;
    char readoutText_[128] = {};
    CMultiDisplay* display_ = nullptr;
    std::unique_ptr<CEditorPresets> presets_;
    // Shows the support confirmation inside the editor; lives as long as the frame.
    std::unique_ptr<Pellu::CModalMessagePresenter> presenter_;
    // The update check's notice in the footer; only for instances the update service knows.
    Pellu::CUpdateNotification* updateNotice_ = nullptr;
};
