#pragma once
// CFileSelector: open-file, save-file and choose-folder dialogs. The desktop's dialog program (zenity or
// kdialog) runs as a child process; the GUI thread polls its output from the timer service and never
// waits for it. Without either program the selector asks inside the editor with a text prompt. The
// answer arrives through a callback on the GUI thread: the chosen paths, empty when cancelled.

#include "gui/BaseObject.h"
#include "gui/TimerService.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Mirda {

class CChildOutput;
class CFrame;

enum class FileSelectorStyle { kOpen, kSave, kFolder };

struct CFileExtension {
    std::string description; // "Preset"
    std::string extension;   // "fxp", without the dot
};

class CFileSelector : public CBaseObject, public CTimerObject {
public:
    using Callback = std::function<void(const std::vector<std::string>& paths)>;

    // `frame` hosts the text prompt when no dialog program exists; it may be null (no prompt then).
    CFileSelector(CFrame* frame, FileSelectorStyle style);

    void setTitle(const std::string& title) { m_title = title; }
    const std::string& getTitle() const { return m_title; }
    // The folder (or, for saving, the file) the dialog starts from.
    void setInitialPath(const std::string& path) { m_initialPath = path; }
    void addFileExtension(const CFileExtension& extension) { m_extensions.push_back(extension); }
    void setAllowMultiple(bool allow) { m_allowMultiple = allow; }

    // Shows the dialog. False when one is already running or nothing can ask the user.
    bool run(Callback callback);
    // Abandons a running dialog; the callback is not called.
    void cancel();
    bool isRunning() const { return m_running; }

    // The dialog program to use, found in PATH ("zenity" or "kdialog" by full path), empty when neither.
    static std::string findDialogProgram();
    // The arguments for `program` (its file name decides the syntax); argv[0] first.
    std::vector<std::string> commandLine(const std::string& program) const;
    // "Preset (fxp)" and "*.fxp" for one file-type entry.
    static std::string filterName(const CFileExtension& extension);
    static std::string filterPattern(const CFileExtension& extension);

    // Polls the dialog program (the timer service calls it).
    void onTimer(uint32_t elapsedMilliseconds) override;
    // Blocks for at most `timeoutMs` until the dialog program has ended; the answer still comes through
    // the next timer tick. For command-line use and tests.
    bool waitForProgram(int timeoutMs);

protected:
    ~CFileSelector() override;

private:
    bool showPrompt();
    void answer(const std::vector<std::string>& paths);

    CFrame* m_frame;
    FileSelectorStyle m_style;
    std::string m_title;
    std::string m_initialPath;
    std::vector<CFileExtension> m_extensions;
    bool m_allowMultiple = false;
    bool m_running = false;
    Callback m_callback;
    std::unique_ptr<CChildOutput> m_child;
};

} // namespace Mirda
