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

} // namespace Core
