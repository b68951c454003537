// The settings file as a user may have edited it.
#include "core/SettingsFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Core::SettingsFile file;
    file.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    // Writing what was read and reading it again must give the same settings.
    const std::string written = file.serialize();
    Core::SettingsFile reread;
    reread.parse(written);
    if (reread.serialize() != written || reread.size() != file.size()) __builtin_trap();
    return 0;
}
