#pragma once

#include <cstdint>
#include <cstring>

namespace Core {

// Fixed-capacity, always NUL-terminated UTF-8 text over storage that the derived class provides.
// Over-long input is cut to capacity - 1 bytes; nothing here allocates, so these strings are safe to
// read and write from the audio thread.
class CStringBufferBase {
public:
    virtual void set(const char* text) {
        if (!text) text = "";
        size_t length = std::strlen(text);
        if (length > static_cast<size_t>(capacity_ - 1)) length = static_cast<size_t>(capacity_ - 1);
        std::memmove(buffer_, text, length);
        buffer_[length] = '\0';
    }
    virtual ~CStringBufferBase() = default;

    const char* c_str() const { return buffer_; }
    int32_t capacity() const { return capacity_; }
    bool empty() const { return buffer_[0] == '\0'; }

    // Copies the text out and zero-fills the rest of the first capacity bytes of out.
    void get(char* out) const { std::strncpy(out, buffer_, static_cast<size_t>(capacity_)); }

    // Byte comparison over at most capacity - 1 bytes; 0 when equal.
    int compare(const char* text) const {
        return std::strncmp(buffer_, text ? text : "", static_cast<size_t>(capacity_ - 1));
    }

    CStringBufferBase& operator=(const char* text) {
        set(text);
        return *this;
    }

protected:
    CStringBufferBase(char* buffer, int32_t capacity) : buffer_(buffer), capacity_(capacity) {
        buffer_[0] = '\0';
    }
    CStringBufferBase(const CStringBufferBase&) = delete;
    CStringBufferBase& operator=(const CStringBufferBase&) = delete;

private:
    char* buffer_;
    int32_t capacity_;
};

template <int32_t N> class CStringBufferd : public CStringBufferBase {
    static_assert(N > 1, "a string buffer needs room for at least one character and the terminator");

public:
    CStringBufferd() : CStringBufferBase(storage_, N) {}
    explicit CStringBufferd(const char* text) : CStringBufferd() { set(text); }
    CStringBufferd(const CStringBufferd& other) : CStringBufferd() { set(other.c_str()); }
    CStringBufferd& operator=(const CStringBufferd& other) {
        if (this != &other) set(other.c_str());
        return *this;
    }
    CStringBufferd& operator=(const char* text) {
        set(text);
        return *this;
    }

private:
    char storage_[N];
};

} // namespace Core
