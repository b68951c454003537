#include "core/Process.h"

#include "core/CriticalSection.h"

#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Core {
namespace {

CriticalSection launchedLock;
std::vector<pid_t> launchedChildren;

void reapFinishedChildren() {
    std::lock_guard lock(launchedLock);
    std::erase_if(launchedChildren, [](pid_t child) {
        // 0: still running. -1: someone else (a host's SIGCHLD handler) reaped it already.
        return waitpid(child, nullptr, WNOHANG) != 0;
    });
}

} // namespace

std::int64_t spawnProcess(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0].empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return -1;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The host may hold sockets, devices and pipes without close-on-exec; none of them belongs to the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaultSignals;
    sigemptyset(&defaultSignals);
    sigaddset(&defaultSignals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    sigset_t noSignalsBlocked;
    sigemptyset(&noSignalsBlocked);
    posix_spawnattr_setsigmask(&attributes, &noSignalsBlocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t child = -1;
    const int result = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? child : -1;
}

bool launchProcess(const std::vector<std::string>& arguments) {
    reapFinishedChildren();
    const pid_t child = static_cast<pid_t>(spawnProcess(arguments));
    if (child < 0) return false;
    std::lock_guard lock(launchedLock);
    launchedChildren.push_back(child);
    return true;
}

bool openFolderInFileBrowser(const std::string& folder) {
    return !folder.empty() && launchProcess({"xdg-open", folder});
}

} // namespace Core
