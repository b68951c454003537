// Turns KEY=VALUE settings typed by a user into host parameter values. The tool knows the effect's
// parameter table (keys, ranges, curves, value names), as a host knows the plug-ins it supports; values
// still reach the plug-in only through setParameter.
#pragma once

#include <string>
#include <vector>

namespace kavren {

struct HostSetting {
    int hostIndex;
    float normalizedValue;
    // Set when the value lay outside the parameter's range: says so and what it was clamped to.
    std::string clampNotice;
};

struct ParameterRow {
    int hostIndex;
    std::string key;
};

// Throws std::invalid_argument with a message for the user: unknown key (listing the valid keys),
// a value that cannot be read for that parameter, or a parameter the host cannot set. A value outside
// the parameter's range is clamped to it, with a notice.
HostSetting resolveSetting(const std::string& assignment);

// Host index and key of every host-visible parameter, in host order.
std::vector<ParameterRow> hostParameterKeys();

} // namespace kavren
