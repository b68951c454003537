// A preset kept as readable text: one "KEY = VALUE" line per parameter that differs from its default, in
// the units a user would type ("LOWPASSFREQ = 800", "LFO Shape = Saw"); '#' starts a comment.
#pragma once

#include <string>
#include <vector>

namespace presetc {

struct Setting {
    std::string key;
    std::string value;
    int line;
};

// Throws std::runtime_error naming the file and line of a malformed line.
std::vector<Setting> readPresetSource(const std::string& path);

} // namespace presetc
