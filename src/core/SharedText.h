#pragma once
// A short text one thread replaces while others read it: every reader gets one whole text, never part of
// an old one and part of a new one. It locks, so it is not for the audio thread.

#include "core/CString.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace Core {

class SharedText {
public:
    /** Texts are cut to `maxBytes`, never inside a UTF-8 sequence. */
    explicit SharedText(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    void set(const std::string& text) {
        const auto length = utf8TruncatedLength(text.c_str(), static_cast<std::int32_t>(maxBytes_));
        std::lock_guard lock(mutex_);
        text_.assign(text, 0, static_cast<std::size_t>(length));
    }

    std::string get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    const std::size_t maxBytes_;
    mutable std::mutex mutex_;
    std::string text_;
};

} // namespace Core
