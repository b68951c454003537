#pragma once
// CChildOutput: a helper program started without a shell whose standard output is collected through a
// non-blocking pipe, so that the GUI thread can poll it from its timer instead of waiting.

#include <string>
#include <sys/types.h>
#include <vector>

namespace Mirda {

// The program `name` in one of the PATH folders, executable by us; empty when there is none.
std::string findProgramInPath(const char* name);

class CChildOutput {
public:
    CChildOutput() = default;
    // Ends a child that is still running (the dialog is abandoned) and reaps it.
    ~CChildOutput();
    CChildOutput(const CChildOutput&) = delete;
    CChildOutput& operator=(const CChildOutput&) = delete;

    // Starts `path` with `arguments` (argv[0] first). Standard input and error are /dev/null; the child
    // inherits no other descriptor.
    bool start(const std::string& path, const std::vector<std::string>& arguments);
    // Reads what is available; true once the output is complete and the child has ended.
    bool poll();
    // Blocks for at most `timeoutMs` until poll() would answer true (command-line use and tests).
    bool wait(int timeoutMs);
    void stop();

    bool isRunning() const { return m_pid > 0; }
    const std::string& output() const { return m_output; }
    // The exit code, or -1 when the child ended abnormally or was reaped by someone else.
    int exitCode() const { return m_exitCode; }

private:
    void closePipe();

    pid_t m_pid = -1;
    int m_pipe = -1;
    std::string m_output;
    int m_exitCode = -1;
};

} // namespace Mirda
