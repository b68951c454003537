#pragma once

#include <cstdint>

namespace Tessu {

// The leading decimal number of text (blanks and a '+' allowed before it), 0 when there is none.
// Independent of the C locale, so "0.5" reads the same in every host.
double readLeadingNumber(const char* text);

// The plain value that typed text stands for under a unit kind (before clamping): percentages are
// divided by 100, decibels become factors, note names become note numbers, " 1 : x" becomes x.
// Kind 11 (text) is handled by the parameter itself.
float parseValueText(const char* text, int32_t unitKind, float curve, float maximum);

} // namespace Tessu
