#include "core/Settings.h"

#include "core/CString.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/SettingsFile.h"
#include "core/SpecialFolders.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace Core {
namespace {

// Read-modify-write of the user file must not interleave between the GUI and a background thread.
std::mutex userFileLock;

struct KeyParts {
    std::string company;
    std::string product;
};

std::optional<KeyParts> splitKey(const std::string& key) {
    std::string text = key;
    toForwardSlashes(text);
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() != 3 || !equalsIgnoringCase(parts[0], "Software")) return std::nullopt;
    for (const std::string& part : parts)
        if (part == "." || part == "..") return std::nullopt;
    return KeyParts{parts[1], parts[2]};
}

std::string lowerCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string relativeSettingsPath(const KeyParts& parts) {
    std::string company = lowerCased(parts.company);
    company[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(company[0])));
    return company + "/" + lowerCased(parts.product) + "/settings.ini";
}

std::vector<std::string> systemConfigFolders() {
    std::vector<std::string> folders;
    const std::string configured = folderVariable("XDG_CONFIG_DIRS");
    size_t start = 0;
    while (start < configured.size()) {
        size_t end = configured.find(':', start);
        if (end == std::string::npos) end = configured.size();
        const std::string folder = configured.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') folders.push_back(folder);
        start = end + 1;
    }
    if (folders.empty()) folders.push_back("/etc/xdg");
    return folders;
}

std::optional<std::string> readValueFrom(const std::string& path, const char* name) {
    std::string text;
    if (!readFileBounded(path, SettingsFile::kMaxFileSize, text)) return std::nullopt;
    SettingsFile file;
    file.parse(text);
    const std::string* value = file.find(name);
    if (!value) return std::nullopt;
    return value->substr(0, static_cast<size_t>(utf8TruncatedLength(value->c_str(), kMaxSettingLength)));
}

} // namespace

std::string settingsKey(const char* company, const char* product) {
    return std::string("Software\\") + (company ? company : "") + "\\" + (product ? product : "") + "\\";
}

std::string userSettingsPath(const std::string& key) {
    const auto parts = splitKey(key);
    if (!parts) return {};
    std::string base = folderVariable("XDG_CONFIG_HOME");
    if (base.empty() || base[0] != '/') {
        const std::string home = homeFolder();
        if (home.empty()) return {};
        base = home + "/.config";
    }
    return withTrailingSlash(base) + relativeSettingsPath(*parts);
}

bool writeSetting(const std::string& key, const char* name, const char* value) {
    if (!name || !value || !*value) return false;
    const std::string path = userSettingsPath(key);
    if (path.empty()) return false;

    std::lock_guard lock(userFileLock);
    SettingsFile file;
    std::string text;
    if (readFileBounded(path, SettingsFile::kMaxFileSize, text))
        file.parse(text);
    else if (fileExists(path))
        return false; // unreadable or oversized: keep it rather than lose its other values
    if (!file.set(name, value)) return false;
    const std::string updated = file.serialize();
    return createFolders(folderPart(path)) && writeFileAtomically(path, updated.data(), updated.size());
}

bool readSetting(const std::string& key, const char* name, std::string& destination,
                 const char* defaultValue) {
    destination = defaultValue ? defaultValue : "";
    if (!name) return false;
    const std::string userPath = userSettingsPath(key);
    if (userPath.empty()) return false;
    {
        std::lock_guard lock(userFileLock);
        if (auto value = readValueFrom(userPath, name)) {
            destination = *value;
            return true;
        }
    }
    const std::string relative = relativeSettingsPath(*splitKey(key));
    for (const std::string& folder : systemConfigFolders()) {
        if (auto value = readValueFrom(withTrailingSlash(folder) + relative, name)) {
            destination = *value;
            if (!value->empty()) writeSetting(key, name, value->c_str());
            return true;
        }
    }
    if (defaultValue && *defaultValue) writeSetting(key, name, defaultValue);
    return false;
}

} // namespace Core
