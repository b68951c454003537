#pragma once
// Minimal UTF-8 helpers for text drawing and editing.

#include <cstddef>
#include <string>
#include <string_view>

namespace Mirda {

// Decodes the code point at `text[pos]` and advances `pos`; invalid bytes decode as U+FFFD.
char32_t decodeUtf8(const std::string_view& text, size_t& pos);
void appendUtf8(std::string& out, char32_t codePoint);
// Byte index of the code point before / after `pos`.
size_t previousUtf8Boundary(const std::string& text, size_t pos);
size_t nextUtf8Boundary(const std::string& text, size_t pos);

} // namespace Mirda
