#pragma once

#include <string>

namespace Core {

/** Kinds of special folder. */
enum SpecialFolder : int {
    kFolderDesktop = 0,         ///< the user's desktop
    kFolderUserData = 1,        ///< per-user application data
    kFolderSharedDocuments = 2, ///< documents (holds the preset library)
    kFolderSharedData = 3,      ///< shared application data
};

/**
 * The folder of `kind` with a trailing "/", followed by `subfolder` when one is given; empty for an unknown
 * kind or when no home folder can be found.
 */
std::string specialFolderPath(int kind, const char* subfolder = nullptr);

/** The user's home folder ($HOME, else the password database); empty when neither knows it. */
std::string homeFolder();

/**
 * Takes `root` as the home folder, with the XDG variables ignored, for every folder derived from it: the
 * special folders above and the settings file. One call moves them all for a test; "" restores the
 * system's folders. Call it while no other thread looks up a folder.
 */
void redirectHomeFolder(const std::string& root);

/** The root given to redirectHomeFolder; "" while the system's folders are in use. */
const std::string& redirectedHomeFolder();

/** The environment variable `name`, "" when unset or, for an XDG variable, while the home is redirected. */
std::string folderVariable(const char* name);

} // namespace Core
