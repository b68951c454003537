#include "editor/EditorPresets.h"

#include "core/Paths.h"
#include "dsp/CKavren.h"
#include "editor/PresetBrowser.h"
#include "gui/FileSelector.h"
#include "update/views/CModalMessagePresenter.h"

namespace {

const char* buttonsOf(Tessu::PresetQuestion::Kind kind) {
    switch (kind) {
    case Tessu::PresetQuestion::kOkStop:
        return "OK";
    case Tessu::PresetQuestion::kOkCancel:
        return "OK|Cancel";
    case Tessu::PresetQuestion::kYesNo:
        break;
    }
    return "Yes|No";
}

// The prompt that stands in for a missing dialog program may answer a bare name; a dialog answers a
// full path (with backslashes on Windows).
std::string insideFolder(const std::string& folder, const std::string& path) {
    return Core::folderPart(path).empty() ? folder + path : path;
}

} // namespace

CEditorPresets::CEditorPresets(CKavren& effect, std::function<Mirda::CFrame*()> window,
                               const std::string& presetFolder)
    : effect_(effect), window_(std::move(window)), library_(presetFolder, this, this),
      model_(library_, *this), lastSeenName_(presetName()) {
    model_.setNameSource([this] { return presetName(); });
    model_.setSaveFileChooser([this](const std::string& folder, std::function<void(std::string)> picked) {
        chooseSaveFile(folder, std::move(picked));
    });
    model_.setRenameStarter([this] {
        if (browser_) browser_->startRename();
    });
}

CEditorPresets::~CEditorPresets() {
    windowClosed();
}

std::string CEditorPresets::presetName() const {
    return effect_.getPresetName();
}

void CEditorPresets::run(const std::function<void()>& action) {
    action();
    lastSeenName_ = presetName();
}

void CEditorPresets::renamed(const std::string& newName) {
    run([&] { model_.finishRename(newName); });
}

void CEditorPresets::idle() {
    if (presenter_) presenter_->pump();
    const std::string name = presetName();
    if (name == lastSeenName_) return;
    lastSeenName_ = name;
    model_.presetNameChanged(name);
}

void CEditorPresets::windowClosed() {
    presenter_.reset();
    presenterFrame_ = nullptr;
    if (selector_) {
        selector_->cancel();
        selector_->release();
        selector_ = nullptr;
    }
    if (model_.isRenaming()) model_.cancelRename();
}

std::int32_t CEditorPresets::getPresetChunk(void** data) {
    return effect_.getPresetChunk(data);
}

void CEditorPresets::setPresetChunk(void* data, std::int32_t size) {
    effect_.setPresetChunk(data, size);
}

std::string CEditorPresets::getPresetName() {
    return presetName();
}

void CEditorPresets::setPresetName(const char* name) {
    effect_.setPresetName(name);
}

void CEditorPresets::setGlobalLimiterMode(std::int32_t mode) {
    effect_.setGlobalLimiterMode(mode);
}

void CEditorPresets::ask(const Tessu::PresetQuestion& question, std::function<void(bool)> answer) {
    Mirda::CFrame* frame = window_ ? window_() : nullptr;
    if (!frame) return;
    if (!presenter_ || presenterFrame_ != frame) {
        presenter_ = std::make_unique<Pellu::CModalMessagePresenter>(frame);
        presenterFrame_ = frame;
    }
    const bool alwaysGoesOn = question.kind == Tessu::PresetQuestion::kOkStop;
    presenter_->show({question.caption, question.text, buttonsOf(question.kind)},
                     [this, alwaysGoesOn, answer = std::move(answer)](int button) {
                         run([&] { answer(alwaysGoesOn || button == 0); });
                     });
}

void CEditorPresets::chooseSaveFile(const std::string& folder, std::function<void(std::string)> picked) {
    Mirda::CFrame* frame = window_ ? window_() : nullptr;
    if (!frame || (selector_ && selector_->isRunning())) return;
    if (selector_) selector_->release();
    selector_ = new Mirda::CFileSelector(frame, Mirda::FileSelectorStyle::kSave);
    selector_->setTitle("Save Preset as...");
    // The dialog starts on the current name, so that OK alone saves a copy of it (after asking).
    const std::string name = presetName();
    selector_->setInitialPath(name.empty() ? folder : folder + name + ".fxp");
    selector_->addFileExtension({"Preset", "fxp"});
    selector_->run([this, folder, picked = std::move(picked)](const std::vector<std::string>& paths) {
        if (paths.empty()) return;
        run([&] { picked(insideFolder(folder, paths.front())); });
    });
}
