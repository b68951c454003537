#include "editor/EditorScale.h"

#include "core/Settings.h"
#include "gui/ScreenScale.h"

#include <cmath>
#include <cstdlib>

namespace EditorScale {
namespace {

const char* const kSettingName = "EditorScale";

std::string settingsKey() {
    return Core::settingsKey(Core::kCompanyKey, Core::kProductKey);
}

} // namespace

double snap(double scale) {
    if (!(scale > 0)) return 1.0;
    double best = kScales[0];
    for (double candidate : kScales)
        if (std::abs(candidate - scale) < std::abs(best - scale)) best = candidate;
    return best;
}

double choose(const std::string& setting, double hostScale, double serverDpi) {
    const double percent = std::atof(setting.c_str());
    if (percent > 0) return snap(percent / 100.0);
    if (hostScale > 0) return snap(hostScale);
    if (serverDpi > 0) return snap(serverDpi / 96.0);
    return 1.0;
}

double serverDpi(void* nativeWindow) {
    return Mirda::screenDpi(nativeWindow);
}

std::string readSetting() {
    std::string value;
    Core::readSetting(settingsKey(), kSettingName, value, "");
    return value;
}

bool writeSetting(const std::string& value) {
    return Core::writeSetting(settingsKey(), kSettingName, value.c_str());
}

} // namespace EditorScale
