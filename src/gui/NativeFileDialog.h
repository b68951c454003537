#pragma once
// The system's own file dialog behind one interface, so that the file selector names no platform: the
// desktop's dialog program on Linux (a child process, polled), IFileDialog on Windows (modal; it has
// answered by the time start() returns).

#include <memory>
#include <string>
#include <vector>

namespace Mirda {

enum class FileSelectorStyle { kOpen, kSave, kFolder };

struct CFileExtension {
    std::string description; // "Preset"
    std::string extension;   // "fxp", without the dot
};

struct CFileDialogRequest {
    FileSelectorStyle style = FileSelectorStyle::kOpen;
    std::string title;
    // The folder (or, for saving, the file) the dialog starts from.
    std::string initialPath;
    std::vector<CFileExtension> extensions;
    bool allowMultiple = false;
    // The native window the dialog belongs to; null for none.
    void* owner = nullptr;
};

class CNativeFileDialog {
public:
    virtual ~CNativeFileDialog() = default;
    // Shows the dialog; false when the system has none to show (the caller then asks another way).
    virtual bool start(const CFileDialogRequest& request) = 0;
    // True once the dialog has ended; `paths` then holds the choice, empty when cancelled.
    virtual bool poll(std::vector<std::string>& paths) = 0;
    // Blocks for at most `timeoutMs` until poll() would answer true (command-line use and tests).
    virtual bool wait(int timeoutMs) = 0;
};

std::unique_ptr<CNativeFileDialog> makeNativeFileDialog();

} // namespace Mirda
