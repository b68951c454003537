#include "kavren/ParameterSettings.h"

#include "params/CPropertyManager.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"
#include "params/UserValueText.h"
#include "params/ValueFormat.h"

#include <algorithm>
#include <stdexcept>

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

// The value as the plug-in displays it, with its unit.
std::string displayed(Tessu::ParameterProperty& p, float plain) {
    char text[Tessu::kValueTextCapacity] = {};
    p.formatValue(plain, text, Tessu::kFormatWithUnit);
    return trim(text);
}

std::string validKeys() {
    std::string keys;
    for (const ParameterRow& row : hostParameterKeys()) keys += (keys.empty() ? "" : ", ") + row.key;
    return keys;
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
    if (!Tessu::parseUserValue(*p, value, plain))
        throw std::invalid_argument("cannot read '" + value + "' as a value of " + key);
    const float low = std::min(p->getMinimum(), p->getMaximum());
    const float high = std::max(p->getMinimum(), p->getMaximum());
    const float clamped = std::clamp(plain, low, high);
    std::string notice;
    if (clamped != plain) {
        notice = key + "=" + value + " is outside " + displayed(*p, low) + " to " + displayed(*p, high) +
                 "; clamped to " + displayed(*p, clamped);
    }
    return {p->getHostIndex(), std::clamp(p->toNormalized(clamped), 0.0f, 1.0f), notice};
}

} // namespace kavren
