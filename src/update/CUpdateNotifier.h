// What the editor shows of the update check, apart from any drawing: the editor's timer calls tick(),
// the views read phase() and the texts below, and the user's clicks come back as the three actions.
#pragma once

#include "core/MessageBox.h"
#include "update/PelluSession.h"

#include <string>

namespace Pellu {

class CUpdateNotifier : public IPelluSessionListener {
public:
    enum class Phase {
        kNothing,     ///< nothing to show
        kIcon,        ///< the "Update available" icon; a click opens the question
        kQuestion,    ///< the update message box asking to download
        kDownloading, ///< the progress meter
        kFinished,    ///< the update message box saying where the installer is
        kFailed,      ///< the update message box saying the download failed
    };

    static constexpr const char* kIconText = "Update\navailable";

    /**
     * `showAsIcon` chooses the quiet form (icon, then the editor's own message box); otherwise the update
     * is asked about at once through `presenter` ("Update Available", Yes / No).
     */
    CUpdateNotifier(CSession& session, bool showAsIcon, Core::IMessagePresenter* presenter);

    /** Drives the check and follows the download; call it from the editor's timer. */
    void tick();

    Phase phase() const { return phase_; }
    /** The download's progress, 0 to 1. */
    double progress() const { return session_.downloadProgress(); }
    /** The stored installer after kFinished. */
    const std::string& downloadedFile() const { return downloadedFile_; }

    /** The update message box in the current phase: heading, text and buttons ("|"-separated). */
    Core::MessageBoxRequest messageBox() const;

    void iconClicked();
    /** The message box's answer in the question phase: the first button (OK) downloads. */
    void answerQuestion(bool download);
    /** OK on the box of kFinished or kFailed. */
    void finishedAcknowledged();

    // IPelluSessionListener
    bool showsUpdateAsIcon() override { return showAsIcon_; }
    void showUpdateIcon() override { phase_ = Phase::kIcon; }
    void askToDownload(const Core::MessageBoxRequest& question, std::function<void(bool)> answer) override;

private:
    CSession& session_;
    const bool showAsIcon_;
    Core::IMessagePresenter* presenter_;
    Phase phase_ = Phase::kNothing;
    std::string downloadedFile_;
};

} // namespace Pellu
