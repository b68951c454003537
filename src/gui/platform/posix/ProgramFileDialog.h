#pragma once
// The file dialog on Linux desktops: zenity or kdialog runs as a child process and prints the choice;
// the GUI thread polls its output and never waits for it.

#include "gui/NativeFileDialog.h"
#include "gui/platform/posix/ChildOutput.h"

namespace Mirda {

class CProgramFileDialog : public CNativeFileDialog {
public:
    bool start(const CFileDialogRequest& request) override;
    bool poll(std::vector<std::string>& paths) override;
    bool wait(int timeoutMs) override;

    // The dialog program to use, found in PATH ("zenity" or "kdialog" by full path), empty when neither.
    static std::string findDialogProgram();
    // The arguments for `program` (its file name decides the syntax); argv[0] first.
    static std::vector<std::string> commandLine(const std::string& program,
                                                const CFileDialogRequest& request);

private:
    CChildOutput m_child;
};

} // namespace Mirda
