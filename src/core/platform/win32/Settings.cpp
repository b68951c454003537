// Settings in the registry: the user's key under HKEY_CURRENT_USER, the machine-wide one under
// HKEY_LOCAL_MACHINE as the fallback.
#include "core/Settings.h"

#include "core/CString.h"
#include "core/platform/win32/WideText.h"

#include <windows.h>

namespace Core {
namespace {

/** The registry path of a key: backslashes, without the trailing one; empty when malformed. */
std::wstring registryPath(const std::string& key) {
    std::string path = key;
    for (char& c : path)
        if (c == '/') c = '\\';
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty() || path.front() == '\\') return {};
    return widened(path);
}

bool readValue(HKEY root, const std::wstring& path, const char* name, std::string& destination) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    // Room for the longest value kept plus its terminator; a longer value is cut, not refused.
    wchar_t buffer[kMaxSettingLength + 1] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    const LONG result =
        RegQueryValueExW(key, widened(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    const std::string value = narrowed(buffer, static_cast<int>(wcsnlen(buffer, kMaxSettingLength)));
    destination =
        value.substr(0, static_cast<std::size_t>(utf8TruncatedLength(value.c_str(), kMaxSettingLength)));
    return true;
}

} // namespace

std::string settingsKey(const char* company, const char* product) {
    return std::string("Software\\") + (company ? company : "") + "\\" + (product ? product : "") + "\\";
}

std::string userSettingsPath(const std::string& key) {
    const std::wstring path = registryPath(key);
    return path.empty() ? std::string() : "HKEY_CURRENT_USER\\" + narrowed(path.c_str());
}

bool writeSetting(const std::string& key, const char* name, const char* value) {
    if (!name || !value || !*value) return false;
    const std::wstring path = registryPath(key);
    if (path.empty()) return false;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = widened(value);
    const LONG result =
        RegSetValueExW(handle, widened(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool readSetting(const std::string& key, const char* name, std::string& destination,
                 const char* defaultValue) {
    destination = defaultValue ? defaultValue : "";
    if (!name) return false;
    const std::wstring path = registryPath(key);
    if (path.empty()) return false;
    if (readValue(HKEY_CURRENT_USER, path, name, destination)) return true;
    if (readValue(HKEY_LOCAL_MACHINE, path, name, destination)) {
        if (!destination.empty()) writeSetting(key, name, destination.c_str());
        return true;
    }
    if (defaultValue && *defaultValue) writeSetting(key, name, defaultValue);
    return false;
}

} // namespace Core
