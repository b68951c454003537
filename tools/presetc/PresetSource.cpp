#include "presetc/PresetSource.h"

#include <fstream>
#include <stdexcept>

namespace presetc {

namespace {

std::string trim(const std::string& s) {
    size_t first = s.find_first_not_of(" \t\r");
    size_t last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

} // namespace

std::vector<Setting> readPresetSource(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot read");
    std::vector<Setting> settings;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        text = trim(text.substr(0, text.find('#')));
        if (text.empty()) continue;
        size_t equals = text.find('=');
        if (equals == std::string::npos || trim(text.substr(0, equals)).empty())
            throw std::runtime_error(path + ":" + std::to_string(line) + ": expected KEY = VALUE");
        settings.push_back({trim(text.substr(0, equals)), trim(text.substr(equals + 1)), line});
    }
    return settings;
}

} // namespace presetc
