#pragma once
// CFileSelector: open-file, save-file and choose-folder dialogs. The system's own dialog runs without
// the GUI thread waiting for it (the timer service polls it); where the system has none the selector
// asks inside the editor with a text prompt. The answer arrives through a callback on the GUI thread:
// the chosen paths, empty when cancelled.

#include "gui/BaseObject.h"
#include "gui/NativeFileDialog.h"
#include "gui/TimerService.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Mirda {

class CFrame;

class CFileSelector : public CBaseObject, public CTimerObject {
public:
    using Callback = std::function<void(const std::vector<std::string>& paths)>;

    // `frame` owns the dialog and hosts the text prompt when the system has no dialog; it may be null
    // (no prompt then).
    CFileSelector(CFrame* frame, FileSelectorStyle style);

    void setTitle(const std::string& title) { m_request.title = title; }
    const std::string& getTitle() const { return m_request.title; }
    // The folder (or, for saving, the file) the dialog starts from.
    void setInitialPath(const std::string& path) { m_request.initialPath = path; }
    void addFileExtension(const CFileExtension& extension) { m_request.extensions.push_back(extension); }
    void setAllowMultiple(bool allow) { m_request.allowMultiple = allow; }
    const CFileDialogRequest& request() const { return m_request; }

    // Shows the dialog. False when one is already running or nothing can ask the user.
    bool run(Callback callback);
    // Abandons a running dialog; the callback is not called.
    void cancel();
    bool isRunning() const { return m_running; }

    // Polls the system dialog (the timer service calls it).
    void onTimer(uint32_t elapsedMilliseconds) override;
    // Blocks for at most `timeoutMs` until the system dialog has ended; the answer still comes through
    // the next timer tick. For command-line use and tests.
    bool waitForDialog(int timeoutMs);

protected:
    ~CFileSelector() override;

private:
    bool showPrompt();
    void answer(const std::vector<std::string>& paths);

    CFrame* m_frame;
    CFileDialogRequest m_request;
    bool m_running = false;
    Callback m_callback;
    std::unique_ptr<CNativeFileDialog> m_dialog;
};

} // namespace Mirda
