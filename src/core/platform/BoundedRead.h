#pragma once

#include <algorithm>
#include <cstddef>

namespace Core {

/**
 * Reads a whole file through `readSome(destination, size)`, which answers the bytes it read, 0 at the end
 * or a negative number on failure. More than `maxBytes` bytes, or a failure, leave `contents` untouched.
 * The size a file claims may change while it is read, so the limit is checked against what arrives.
 */
template <typename Container, typename ReadSome>
bool readAllBounded(std::size_t maxBytes, Container& contents, ReadSome readSome) {
    Container buffer;
    buffer.resize(maxBytes < 65536 ? maxBytes + 1 : 65536);
    std::size_t used = 0;
    for (;;) {
        if (used == buffer.size()) {
            if (buffer.size() > maxBytes) return false;
            buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
        }
        const auto got = readSome(buffer.data() + used, buffer.size() - used);
        if (got < 0) return false;
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes) return false;
    buffer.resize(used);
    contents = std::move(buffer);
    return true;
}

} // namespace Core
