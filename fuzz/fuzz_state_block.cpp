// The "Parameters" block of a state chunk as the parameter manager reads it: any bytes, any size, with
// and without key renumbering. A rejected block must leave every value as it was.
#include "params/CPropertyManager.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

std::vector<float> valuesOf(Tessu::CPropertyManager& manager) {
    std::vector<float> values;
    for (int32_t i = 0; i < manager.getParameterCount(); ++i)
        values.push_back(manager.getParameterAt(i)->getValue());
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    static Tessu::CPropertyManager manager;
    if (manager.getParameterCount() == 0) createKavrenParameters(manager, nullptr);
    for (int32_t i = 0; i < manager.getParameterCount(); ++i) manager.getParameterAt(i)->resetToDefault();
    const std::vector<float> before = valuesOf(manager);
    const std::vector<std::uint8_t> input(data, data + size);
    const int32_t keyNumber = size > 0 && (data[0] & 1) ? 3 : -1;
    const bool applied = manager.setStateBlock(input.data(), static_cast<int32_t>(input.size()), keyNumber);
    const std::vector<float> after = valuesOf(manager);
    for (int32_t i = 0; i < manager.getParameterCount(); ++i) {
        Tessu::ParameterProperty* p = manager.getParameterAt(i);
        // Whatever was read lands inside the parameter's range.
        const float low = std::fmin(p->getMinimum(), p->getMaximum()),
                    high = std::fmax(p->getMinimum(), p->getMaximum());
        if (!(after[size_t(i)] >= low && after[size_t(i)] <= high) && !std::isnan(after[size_t(i)]))
            __builtin_trap();
    }
    if (!applied && after != before) __builtin_trap();
    return 0;
}
