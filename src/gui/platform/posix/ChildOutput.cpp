#include "gui/platform/posix/ChildOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Mirda {
namespace {

// A file name or a few of them; anything longer is not an answer of a file dialog.
constexpr size_t kMaxOutput = 64 * 1024;

} // namespace

CChildOutput::~CChildOutput() {
    stop();
}

bool CChildOutput::start(const std::string& path, const std::vector<std::string>& arguments) {
    stop();
    m_output.clear();
    m_exitCode = -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The host's own descriptors stay with the host.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = -1;
    const int result = posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (result != 0) {
        close(fds[0]);
        return false;
    }
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    m_pid = child;
    m_pipe = fds[0];
    return true;
}

void CChildOutput::closePipe() {
    if (m_pipe >= 0) close(m_pipe);
    m_pipe = -1;
}

bool CChildOutput::poll() {
    if (m_pid <= 0) return m_pipe < 0;
    while (m_pipe >= 0) {
        char chunk[4096];
        const ssize_t n = read(m_pipe, chunk, sizeof chunk);
        if (n > 0) {
            if (m_output.size() < kMaxOutput) m_output.append(chunk, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return false;
        closePipe(); // end of output (or a broken pipe)
    }
    int status = 0;
    const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
    if (reaped == 0) return false;
    // -1: a host's SIGCHLD handler reaped it first; the exit code is lost.
    m_exitCode = reaped == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return true;
}

bool CChildOutput::wait(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (poll()) return true;
        if (m_pipe >= 0) {
            pollfd descriptor{m_pipe, POLLIN, 0};
            ::poll(&descriptor, 1, 10);
        } else {
            ::poll(nullptr, 0, 10); // the output is complete; the child is about to end
        }
    }
    return false;
}

void CChildOutput::stop() {
    closePipe();
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

std::string findProgramInPath(const char* name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    const std::string list(path);
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return {};
}

} // namespace Mirda
