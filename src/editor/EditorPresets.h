// The preset library as the editor reaches it: the library of the preset folder, what the browser does
// with it, its questions as modal boxes in the editor window and the save-file chooser. It belongs to the
// editor object (GUI thread) and outlives the windows the editor opens and closes.
//
// Names are compared at the editor's idle pass, never heard from a listener (a host chunk may set the
// name on any thread): a name that changed since the last pass, other than by the browser's own action,
// goes to the browser model, which clears the current preset.
#pragma once

#include "presets/PresetBrowserModel.h"

#include <functional>
#include <memory>
#include <string>

class CKavren;
class CPresetBrowser;

namespace Mirda {
class CFileSelector;
class CFrame;
} // namespace Mirda

namespace Pellu {
class CModalMessagePresenter;
}

class CEditorPresets : public Tessu::IPresetTarget, public Tessu::IQuestionAnswerer {
public:
    // `window` answers the frame of the open editor window, null while it is closed.
    CEditorPresets(CKavren& effect, std::function<Mirda::CFrame*()> window,
                   const std::string& presetFolder = Tessu::CPresetInterface::defaultPresetFolder());
    ~CEditorPresets() override;

    Tessu::CPresetInterface& library() { return library_; }
    Tessu::CPresetBrowserModel& model() { return model_; }
    std::string presetName() const;

    // Runs one of the browser's own actions (step, menu command, answer): the names it sets are not
    // taken for typed ones at the next idle pass.
    void run(const std::function<void()>& action);
    // The rename field was confirmed with `newName`.
    void renamed(const std::string& newName);
    // The browser view of the open window takes the rename requests; null when it goes.
    void setBrowser(CPresetBrowser* browser) { browser_ = browser; }

    // At every idle pass of the open editor: a changed name reaches the model, a waiting question shows.
    void idle();
    // The window closes: open questions and the file chooser go unanswered.
    void windowClosed();

    // The effect as the library sees it.
    std::int32_t getPresetChunk(void** data) override;
    void setPresetChunk(void* data, std::int32_t size) override;
    std::string getPresetName() override;
    void setPresetName(const char* name) override;
    void setGlobalLimiterMode(std::int32_t mode) override;

    // The questions as modal boxes in the open window; without a window nobody answers.
    void ask(const Tessu::PresetQuestion& question, std::function<void(bool)> answer) override;

private:
    void chooseSaveFile(const std::string& folder, std::function<void(std::string)> picked);

    CKavren& effect_;
    std::function<Mirda::CFrame*()> window_;
    Tessu::CPresetInterface library_;
    Tessu::CPresetBrowserModel model_;
    CPresetBrowser* browser_ = nullptr;
    std::string lastSeenName_;
    std::unique_ptr<Pellu::CModalMessagePresenter> presenter_;
    Mirda::CFrame* presenterFrame_ = nullptr;
    Mirda::CFileSelector* selector_ = nullptr;
};
