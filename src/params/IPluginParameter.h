#pragma once

#include <cstdint>

#include "core/CStringBufferd.h"

namespace Tessu {

class IPluginParameter;

// Told about every value change of the parameters it is registered with, synchronously on the thread
// that made the change.
class ParameterChangeListener {
public:
    virtual ~ParameterChangeListener() = default;
    virtual void parameterChanged(IPluginParameter* parameter) = 0;
};

// The format-neutral view of one parameter: the value the host sees is always the normalised one, in [0, 1].
class IPluginParameter {
public:
    virtual const Core::CStringBufferd<64>& getKeyString() const = 0;
    virtual const Core::CStringBufferd<128>& getNameString() const = 0;
    virtual const Core::CStringBufferd<64>& getUnitString() const = 0;
    virtual float getNormalizedValue() = 0;
    virtual void setNormalizedValue(double normalized) = 0;
    // Value text without name or unit, in full precision.
    virtual void getDisplayString(double value, Core::CStringBufferBase& out) = 0;
    // Kept for interface compatibility; parameters ignore it.
    virtual void reservedOperation(int32_t argument) = 0;
    // Neither conversion clamps, so values outside the range map past the ends.
    virtual float toNormalized(double plain) = 0;
    virtual float toPlain(double normalized) = 0;
    virtual int32_t reservedQuery() const { return 0; }
    virtual float getDefaultNormalizedValue() const = 0;
    virtual ~IPluginParameter() = default;
};

} // namespace Tessu
