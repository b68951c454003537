#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Core {

/**
 * Starts a program (looked up in PATH) with the given arguments, without a shell; the child inherits
 * no descriptors but a /dev/null standard input and the standard output and error. Answers the child's
 * process id, or -1 when it could not be started. The caller must wait for it.
 */
std::int64_t spawnProcess(const std::vector<std::string>& arguments);

/**
 * Starts a program and forgets it: the child is reaped by later calls, so finished children do not
 * linger. Answers whether the start succeeded.
 */
bool launchProcess(const std::vector<std::string>& arguments);

/** Opens a folder in the desktop's file browser. */
bool openFolderInFileBrowser(const std::string& folder);

} // namespace Core
