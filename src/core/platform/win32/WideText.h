#pragma once
// UTF-8 inside the program, UTF-16 at every Windows call.

#include <string>

namespace Core {

/** The UTF-16 form of a UTF-8 text; invalid sequences become U+FFFD. */
std::wstring widened(const std::string& text);

/** The UTF-8 form of a UTF-16 text of `length` units (up to the terminator when negative). */
std::string narrowed(const wchar_t* text, int length = -1);

} // namespace Core
