#pragma once

#include <string>

namespace Core {

inline constexpr const char* kCompanyKey = "QUILLMARK";
inline constexpr const char* kProductKey = "kavrenXL";

/** Values read back are cut to this many bytes (at a character boundary). */
inline constexpr std::size_t kMaxSettingLength = 258;

/** The settings key "Software\\<company>\\<product>\\". */
std::string settingsKey(const char* company, const char* product);

/**
 * Where a key's per-user settings live: $XDG_CONFIG_HOME (default ~/.config), then the company as a
 * folder name ("Quillmark"), the product lower-cased (key names ignore case), "settings.ini".
 * Empty for a malformed key.
 */
std::string userSettingsPath(const std::string& key);

/** Stores a value for the user; an empty value, a malformed key or a failed write answer false. */
bool writeSetting(const std::string& key, const char* name, const char* value);

/**
 * `destination` starts as `defaultValue`. The user's value wins; otherwise the first system-wide value
 * ($XDG_CONFIG_DIRS, default /etc/xdg) is taken and copied to the user's settings; otherwise a non-empty
 * default is stored for the user and the answer is false.
 */
bool readSetting(const std::string& key, const char* name, std::string& destination,
                 const char* defaultValue);

} // namespace Core
