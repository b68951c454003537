#include "params/ValueParse.h"

#include <cstdlib>
#include <locale.h>

namespace Tessu {

double readLeadingNumber(const char* text, const char** end) {
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    char* after = nullptr;
    const double value = strtod_l(text, &after, cLocale);
    if (end) *end = after;
    return value;
}

} // namespace Tessu
