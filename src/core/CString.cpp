#include "core/CString.h"

#include <cstring>

namespace Core {

std::int32_t utf8TruncatedLength(const char* text, std::int32_t maxBytes) {
    if (!text || maxBytes <= 0) return 0;
    const std::int32_t length = static_cast<std::int32_t>(strnlen(text, static_cast<size_t>(maxBytes) + 1));
    if (length <= maxBytes) return length;
    // Continuation bytes are 10xxxxxx; cutting before one would leave half a character.
    std::int32_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

void copyTruncated(char* destination, std::int32_t capacity, const char* text) {
    if (!destination || capacity <= 0) return;
    const std::int32_t length = utf8TruncatedLength(text, capacity - 1);
    if (length > 0) std::memmove(destination, text, static_cast<size_t>(length));
    destination[length] = '\0';
}

CString::CString(char* buffer, std::int32_t capacity) : buffer_(buffer), capacity_(capacity) {
    if (buffer_ && capacity_ > 0) buffer_[0] = '\0';
}

void CString::set(const char* text) {
    copyTruncated(buffer_, capacity_, text);
}

void CString::get(char* destination) const {
    if (!destination || capacity_ <= 0) return;
    const size_t length = strnlen(buffer_, static_cast<size_t>(capacity_ - 1));
    std::memcpy(destination, buffer_, length);
    std::memset(destination + length, 0, static_cast<size_t>(capacity_) - length);
}

int CString::compare(const char* other) const {
    if (capacity_ <= 1) return 0;
    return std::strncmp(buffer_, other ? other : "", static_cast<size_t>(capacity_ - 1));
}

} // namespace Core
