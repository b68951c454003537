// Special folders through the shell's Known Folders, with the profile folder as the fallback.
#include "core/SpecialFolders.h"

#include "core/Paths.h"
#include "core/platform/win32/WideText.h"

#include <cstdlib>

// windows.h first: the shell's headers need its declarations; initguid.h makes the folder ids defined here.
#include <windows.h>

#include <initguid.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace Core {
namespace {

std::string environment(const wchar_t* name) {
    // A redirected home takes the place of every folder the environment names.
    if (!redirectedHomeFolder().empty()) return {};
    const wchar_t* value = _wgetenv(name);
    return value ? narrowed(value) : std::string();
}

std::string knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)) && path) folder = narrowed(path);
    CoTaskMemFree(path);
    return folder;
}

/** Where a folder lives when the shell cannot say (a service account, a broken profile). */
std::string fallbackFolder(int kind, const std::string& home) {
    switch (kind) {
    case kFolderDesktop:
        return home + "\\Desktop";
    case kFolderSharedDocuments:
        return home + "\\Documents";
    case kFolderUserData: {
        const std::string configured = environment(L"APPDATA");
        return configured.empty() ? home + "\\AppData\\Roaming" : configured;
    }
    case kFolderSharedData: {
        const std::string configured = environment(L"ProgramData");
        return configured.empty() ? home + "\\AppData\\Roaming" : configured;
    }
    default:
        return {};
    }
}

std::string folderOfKind(int kind) {
    switch (kind) {
    case kFolderDesktop:
        return knownFolder(FOLDERID_Desktop);
    case kFolderUserData:
        return knownFolder(FOLDERID_RoamingAppData);
    case kFolderSharedDocuments:
        return knownFolder(FOLDERID_Documents);
    case kFolderSharedData:
        return knownFolder(FOLDERID_ProgramData);
    default:
        return {};
    }
}

} // namespace

std::string homeFolder() {
    if (!redirectedHomeFolder().empty()) return redirectedHomeFolder();
    const std::string profile = environment(L"USERPROFILE");
    if (!profile.empty()) return profile;
    const std::string drive = environment(L"HOMEDRIVE"), path = environment(L"HOMEPATH");
    return drive.empty() || path.empty() ? knownFolder(FOLDERID_Profile) : drive + path;
}

std::string specialFolderPath(int kind, const char* subfolder) {
    std::string path = redirectedHomeFolder().empty() ? folderOfKind(kind) : std::string();
    if (path.empty()) {
        const std::string home = homeFolder();
        if (home.empty()) return {};
        path = fallbackFolder(kind, home);
    }
    if (path.empty()) return {};
    toForwardSlashes(path);
    path = withTrailingSlash(path);
    if (subfolder) path += subfolder;
    return path;
}

} // namespace Core
