#pragma once

#include <cstdint>

namespace Tessu {

// The leading number of text as the C library's decimal conversion (strtod) reads it in the "C"
// locale, whatever the host's locale, so "0.5" reads the same everywhere: blanks and a sign before it,
// decimal or hexadecimal digits, an exponent, "inf" and "nan"; a number beyond the float range reads as
// ±infinity (so it clamps to a range end), and text without a number as 0. end, when given, receives the
// first character after the number (text itself when there is none).
double readLeadingNumber(const char* text, const char** end = nullptr);

// The plain value that typed text stands for under a unit kind (before clamping): percentages are
// divided by 100, decibels become factors, note names become note numbers, " 1 : x" becomes x.
// Kind 11 (text) is handled by the parameter itself.
float parseValueText(const char* text, int32_t unitKind, float curve, float maximum);

} // namespace Tessu
