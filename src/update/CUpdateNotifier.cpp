#include "update/CUpdateNotifier.h"

namespace Pellu {

CUpdateNotifier::CUpdateNotifier(CSession& session, bool showAsIcon, Core::IMessagePresenter* presenter)
    : session_(session), showAsIcon_(showAsIcon), presenter_(presenter) {}

void CUpdateNotifier::tick() {
    session_.drive(*this);
    if (session_.downloading()) phase_ = Phase::kDownloading;
    std::string path;
    if (session_.takeDownloadResult(path)) {
        downloadedFile_ = path;
        phase_ = path.empty() ? Phase::kFailed : Phase::kFinished;
    }
}

Core::MessageBoxRequest CUpdateNotifier::messageBox() const {
    if (phase_ == Phase::kFinished)
        return {"Download finished",
                "Close your host-DAW and run the\ninstaller file that is located on your desktop", "OK"};
    if (phase_ == Phase::kFailed)
        return {"Download failed",
                "The installer could not be downloaded.\nYou will be asked again at the next update check.",
                "OK"};
    return {"New version available", "Do you want to download the installer file to your Desktop?",
            "OK|Cancel"};
}

void CUpdateNotifier::iconClicked() {
    if (phase_ == Phase::kIcon) phase_ = Phase::kQuestion;
}

void CUpdateNotifier::answerQuestion(bool download) {
    if (phase_ != Phase::kQuestion) return;
    phase_ = Phase::kNothing;
    session_.answerUpdate(download);
    if (session_.downloading()) phase_ = Phase::kDownloading;
}

void CUpdateNotifier::finishedAcknowledged() {
    if (phase_ == Phase::kFinished || phase_ == Phase::kFailed) phase_ = Phase::kNothing;
}

void CUpdateNotifier::askToDownload(const Core::MessageBoxRequest& question,
                                    std::function<void(bool)> answer) {
    if (!presenter_) return answer(false);
    presenter_->show(question, [this, answer = std::move(answer)](int button) {
        answer(button == 0);
        if (session_.downloading()) phase_ = Phase::kDownloading;
    });
}

} // namespace Pellu
