// Which scale the editor is drawn at: the user's choice (the "EditorScale" setting: "100", "150",
// "200" or "auto"), else the host's announced scale, else the X server's Xft.dpi against 96 dpi.
#pragma once

#include <string>

namespace EditorScale {

// The scales the artwork exists for.
inline constexpr double kScales[] = {1.0, 1.5, 2.0};

// The nearest available scale; 1 for anything not positive.
double snap(double scale);
// `setting` is the user's stored choice, `hostScale` what the host announced (0: nothing),
// `serverDpi` the X server's Xft.dpi (0: unknown).
double choose(const std::string& setting, double hostScale, double serverDpi);
// The screen's resolution where `nativeWindow` (may be null) is: Xft.dpi of the X server named by
// DISPLAY, or the monitor's on Windows; 0 when unknown.
double serverDpi(void* nativeWindow = nullptr);

std::string readSetting();
bool writeSetting(const std::string& value);

} // namespace EditorScale
