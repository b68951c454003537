#pragma once
// A short text one thread replaces while others read it: every reader gets one whole text, never part of
// an old one and part of a new one. It locks, so it is not for the audio thread.

#include <mutex>
#include <string>
#include <string_view>

namespace Core {

class SharedText {
public:
    /** Texts are cut to `maxBytes`. */
    explicit SharedText(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    void set(std::string_view text) {
        std::lock_guard lock(mutex_);
        text_.assign(text.substr(0, maxBytes_));
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
