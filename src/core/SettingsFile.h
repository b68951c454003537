#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Core {

/**
 * The text form of the settings: one "name=value" per line. Names compare ignoring ASCII case (like the
 * registry value names they replace); the first of several equal names wins. Lines without "=", blank
 * lines and lines starting with "#", ";" or "[" are ignored and not written back.
 */
class SettingsFile {
public:
    static constexpr std::size_t kMaxFileSize = 64 * 1024;

    /** Replaces the contents with the settings in `text`; text beyond kMaxFileSize is ignored. */
    void parse(std::string_view text);
    std::string serialize() const;

    const std::string* find(std::string_view name) const;
    /** Stores a value; refuses names and values that could not be read back unchanged. */
    bool set(std::string_view name, std::string_view value);

    static bool isValidName(std::string_view name);
    static bool isValidValue(std::string_view value);

    std::size_t size() const { return entries_.size(); }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

} // namespace Core
