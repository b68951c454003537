#include "kavren/ParameterSettings.h"

#include "params/CPropertyManager.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <strings.h>

namespace kavren {

namespace {

struct Table {
    Tessu::CPropertyManager manager;
    Table() { createKavrenParameters(manager, nullptr); }
};

Table& table() {
    static Table instance;
    return instance;
}

std::string trim(const std::string& s) {
    size_t first = s.find_first_not_of(" \t");
    size_t last = s.find_last_not_of(" \t");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

std::string validKeys() {
    std::string keys;
    for (const ParameterRow& row : hostParameterKeys()) keys += (keys.empty() ? "" : ", ") + row.key;
    return keys;
}

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           !strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str());
}

// Stepped parameters (switches, slopes, shapes, modes) also take the text they display for each step.
bool matchStepName(Tessu::ParameterProperty& p, const std::string& text, float& plain) {
    float low = std::min(p.getMinimum(), p.getMaximum()), high = std::max(p.getMinimum(), p.getMaximum());
    if (high - low > 64.0f) return false;
    for (float step = std::ceil(low); step <= high; step += 1.0f) {
        char display[256] = {};
        p.formatValue(step, display, 0);
        if (!strcasecmp(trim(display).c_str(), text.c_str())) return plain = step, true;
    }
    if (p.getUnitKind() == Tessu::kUnitOnOff) {
        if (!strcasecmp(text.c_str(), "on")) return plain = 1.0f, true;
        if (!strcasecmp(text.c_str(), "off")) return plain = 0.0f, true;
    }
    return false;
}

// A number in the parameter's own unit; gains also in dB ("-6dB"), frequencies also in kHz, percentages
// of the range end with "%".
bool readNumber(Tessu::ParameterProperty& p, std::string text, float& plain) {
    double scale = 1.0;
    bool decibels = false;
    if (endsWithNoCase(text, "%") && p.getUnitKind() == Tessu::kUnitPercent)
        scale = p.getMaximum() / 100.0, text.pop_back();
    else if (endsWithNoCase(text, "khz"))
        scale = 1000.0, text.resize(text.size() - 3);
    else if (endsWithNoCase(text, "hz"))
        text.resize(text.size() - 2);
    else if (endsWithNoCase(text, "ms"))
        text.resize(text.size() - 2);
    else if (endsWithNoCase(text, "db"))
        decibels = true, text.resize(text.size() - 2);
    text = trim(text);
    char* end = nullptr;
    double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(number)) return false;
    if (decibels && p.getUnitKind() == Tessu::kUnitGainFactor) number = std::pow(10.0, number * 0.05);
    plain = float(number * scale);
    return true;
}

} // namespace

std::vector<ParameterRow> hostParameterKeys() {
    std::vector<ParameterRow> rows;
    Tessu::CPropertyManager& manager = table().manager;
    for (int32_t i = 0; i < manager.getHostParameterCount(); ++i)
        rows.push_back({i, manager.getHostParameter(i)->getKey()});
    return rows;
}

HostSetting resolveSetting(const std::string& assignment) {
    size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        throw std::invalid_argument("setting '" + assignment + "' is not KEY=VALUE");
    std::string key = trim(assignment.substr(0, equals));
    std::string value = trim(assignment.substr(equals + 1));
    Tessu::ParameterProperty* p = table().manager.findParameterByKey(key.c_str());
    if (!p) throw std::invalid_argument("unknown parameter key '" + key + "'; valid keys: " + validKeys());
    if (p->getHostIndex() < 0) throw std::invalid_argument("parameter '" + key + "' cannot be set by a host");
    float plain = 0.0f;
    if (!matchStepName(*p, value, plain) && !readNumber(*p, value, plain))
        throw std::invalid_argument("cannot read '" + value + "' as a value of " + key);
    float normalized = std::clamp(p->toNormalized(plain), 0.0f, 1.0f);
    return {p->getHostIndex(), normalized};
}

} // namespace kavren
