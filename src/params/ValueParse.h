#pragma once

#include <cstdint>

namespace Tessu {

// The leading number of text, read the same on every system whatever the host's locale ("0.5" is a half
// everywhere), as the C library reads numbers in the "C" locale: blanks and a sign before it, decimal
// digits or hexadecimal ones after "0x", an exponent, "inf", "infinity" and "nan"; a number beyond the
// double range reads as ±infinity (so it clamps to a range end), one too small for it as 0, and text
// without a number as 0. end, when given, receives the first character after the number (text itself
// when there is none).
double readLeadingNumber(const char* text, const char** end = nullptr);

// The plain value that typed text stands for under a unit kind (before clamping): percentages are
// divided by 100, decibels become factors, note names become note numbers, " 1 : x" becomes x.
// Kind 11 (text) is handled by the parameter itself.
float parseValueText(const char* text, int32_t unitKind, float curve, float maximum);

} // namespace Tessu
