#include "core/SettingsFile.h"

#include <algorithm>
#include <cctype>

namespace Core {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool isCommentStart(char c) {
    return c == '#' || c == ';' || c == '[';
}

} // namespace

bool SettingsFile::isValidName(std::string_view name) {
    return !name.empty() && !isCommentStart(name.front()) &&
           name.find_first_of("=\r\n", 0) == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool SettingsFile::isValidValue(std::string_view value) {
    return value.find_first_of("\r\n") == std::string_view::npos &&
           value.find('\0') == std::string_view::npos;
}

void SettingsFile::parse(std::string_view text) {
    entries_.clear();
    if (text.size() > kMaxFileSize) text = text.substr(0, kMaxFileSize);
    while (!text.empty()) {
        const size_t lineEnd = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(std::min(lineEnd + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (!isValidName(name) || !isValidValue(value) || find(name)) continue;
        entries_.emplace_back(name, value);
    }
}

std::string SettingsFile::serialize() const {
    std::string text;
    for (const auto& [name, value] : entries_) text.append(name).append("=").append(value).append("\n");
    return text;
}

const std::string* SettingsFile::find(std::string_view name) const {
    for (const auto& entry : entries_)
        if (sameName(entry.first, name)) return &entry.second;
    return nullptr;
}

bool SettingsFile::set(std::string_view name, std::string_view value) {
    if (!isValidName(name) || !isValidValue(value)) return false;
    for (auto& entry : entries_) {
        if (sameName(entry.first, name)) {
            entry.second = value;
            return true;
        }
    }
    entries_.emplace_back(name, value);
    return true;
}

} // namespace Core
