#include "params/UserValueText.h"

#include "params/KavrenFormatters.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"
#include "params/ValueFormat.h"
#include "params/ValueParse.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

namespace Tessu {

namespace {

std::string trim(const std::string& s) {
    size_t first = s.find_first_not_of(" \t");
    size_t last = s.find_last_not_of(" \t");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

bool endsWithNoCase(const std::string& text, const char* suffix) {
    size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && !strcasecmp(text.c_str() + text.size() - n, suffix);
}

bool matchStepName(ParameterProperty& p, const std::string& text, float& plain) {
    const float low = std::min(p.getMinimum(), p.getMaximum()),
                high = std::max(p.getMinimum(), p.getMaximum());
    if (high - low > 64.0f) return false;
    for (float step = std::ceil(low); step <= high; step += 1.0f) {
        char display[kValueTextCapacity] = {};
        p.formatValue(step, display, 0);
        if (!strcasecmp(trim(display).c_str(), text.c_str())) return plain = step, true;
    }
    if (p.getUnitKind() == kUnitOnOff) {
        if (!strcasecmp(text.c_str(), "on")) return plain = 1.0f, true;
        if (!strcasecmp(text.c_str(), "off")) return plain = 0.0f, true;
    }
    return false;
}

// The LFO rate's tempo divisions ("1/4", "1/8T", "1/2D"): the knob position that shows the division.
bool matchSyncDivision(ParameterProperty& p, const std::string& text, float& plain) {
    if (p.getId() != kLfoRate) return false;
    for (int32_t index = 1; index <= 24; ++index) {
        if (strcasecmp(lfoSyncDivisionName(index), text.c_str())) continue;
        plain = p.toPlain(double(index - 1) / 23.0);
        return true;
    }
    return false;
}

bool readNumber(ParameterProperty& p, std::string text, float& plain) {
    double scale = 1.0;
    bool decibels = false;
    if (endsWithNoCase(text, "%") && p.getUnitKind() == kUnitPercent)
        scale = p.getMaximum() / 100.0, text.pop_back();
    else if (endsWithNoCase(text, "khz"))
        scale = 1000.0, text.resize(text.size() - 3);
    else if (endsWithNoCase(text, "k"))
        scale = 1000.0, text.pop_back();
    else if (endsWithNoCase(text, "hz") || endsWithNoCase(text, "ms"))
        text.resize(text.size() - 2);
    else if (endsWithNoCase(text, "db"))
        decibels = true, text.resize(text.size() - 2);
    text = trim(text);
    const char* end = nullptr;
    double number = readLeadingNumber(text.c_str(), &end);
    if (text.empty() || *end != 0 || std::isnan(number)) return false;
    if (decibels && p.getUnitKind() == kUnitGainFactor) number = std::pow(10.0, number * 0.05);
    plain = float(number * scale);
    return true;
}

} // namespace

bool parseUserValue(ParameterProperty& parameter, const std::string& text, float& plain) {
    const std::string value = trim(text);
    // Divisions first: the rate's display shows the current division whatever value it is asked about.
    return matchSyncDivision(parameter, value, plain) || matchStepName(parameter, value, plain) ||
           readNumber(parameter, value, plain);
}

} // namespace Tessu
