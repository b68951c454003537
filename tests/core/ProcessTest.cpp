#include "core/Process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
int exitStatusOf(const std::vector<std::string>& arguments) {
    const pid_t child = static_cast<pid_t>(Core::spawnProcess(arguments));
    if (child < 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -2;
    return WEXITSTATUS(status);
}
} // namespace

TEST(Process, ChildInheritsNoExtraDescriptors) {
    const int leaked = dup2(open("/dev/null", O_RDONLY), 47); // deliberately without close-on-exec
    ASSERT_EQ(leaked, 47);
    EXPECT_EQ(exitStatusOf({"sh", "-c", "test -e /proc/self/fd/2"}), 0);
    EXPECT_EQ(exitStatusOf({"sh", "-c", "test -e /proc/self/fd/47"}), 1);
    close(leaked);
}

TEST(Process, ArgumentsPassUnchangedWithoutAShell) {
    EXPECT_EQ(exitStatusOf({"test", "a b;$HOME", "=", "a b;$HOME"}), 0);
    EXPECT_EQ(exitStatusOf({"test", "a b", "=", "a"}), 1);
}

TEST(Process, ReportsProgramsThatCannotStart) {
    EXPECT_EQ(Core::spawnProcess({"/nonexistent/program"}), -1);
    EXPECT_FALSE(Core::launchProcess({"/nonexistent/program"}));
    EXPECT_FALSE(Core::launchProcess({}));
    EXPECT_TRUE(Core::launchProcess({"true"}));
    EXPECT_FALSE(Core::openFolderInFileBrowser(""));
}
