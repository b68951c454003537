#pragma once

#include <cstdint>

namespace Tessu {

// One row of a parameter table, from which the manager builds a parameter.
struct ParameterDescriptor {
    const char* key;
    const char* name;
    const char* longName;
    float minimum;
    float maximum;
    float initialValue; // value at construction (clamped into the range)
    float defaultValue; // value after resetToDefault
    bool automatable;
    float curve;
    int32_t unitKind;
    int32_t id;
};

} // namespace Tessu
