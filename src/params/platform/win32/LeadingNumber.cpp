#include "params/ValueParse.h"

#include <cstdlib>
#include <locale.h>

namespace Tessu {

// The C runtime's strtod in the "C" locale. Unlike glibc's it reads neither hexadecimal numbers nor the
// spelling "infinity"/"infinite", so a few unusual texts read differently than on Linux.
double readLeadingNumber(const char* text, const char** end) {
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    char* after = nullptr;
    const double value = _strtod_l(text, &after, cLocale);
    if (end) *end = after;
    return value;
}

} // namespace Tessu
