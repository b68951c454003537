#pragma once

#include <string>

namespace Tessu {

class ParameterProperty;

// Reads a value as a user types it for a parameter: a number in the parameter's own unit (gains also in
// dB, "-6dB"; frequencies also in kHz, "1.2kHz" or "1.2k"; times with "ms"), a percentage of the range end
// with
// "%", or, for stepped parameters (switches, slopes, shapes, modes), the text shown for a step
// ("Saw", "On", "Notch"), or for the LFO rate a tempo division ("1/4", "1/8T"), case ignored. Numbers
// are read as readLeadingNumber reads them, but must make up the whole text: "1e999" is +infinity, left
// to the caller to clamp. False for anything else, "nan" included.
bool parseUserValue(ParameterProperty& parameter, const std::string& text, float& plain);

} // namespace Tessu
