#pragma once

#include <cstdint>

namespace Core {

/** Text in a fixed-capacity buffer: UTF-8, always NUL-terminated. */
class IString {
public:
    virtual ~IString() = default;
    virtual void assign(const char* text) = 0;
    virtual const char* text() const = 0;
};

/**
 * IString over a caller-supplied buffer of `capacity` bytes (terminator included). Over-long text is cut
 * to capacity - 1 bytes, backing off to the start of a UTF-8 sequence so that no partial character remains.
 */
class CString : public IString {
public:
    CString(char* buffer, std::int32_t capacity);

    void assign(const char* text) override { set(text); }
    const char* text() const override { return buffer_; }

    /** A null text empties the string. */
    void set(const char* text);
    /** Copies the text into `destination` (capacity() bytes), zero-filling the rest of that range. */
    void get(char* destination) const;
    /** Byte comparison over at most capacity() - 1 bytes; 0 when equal, like strncmp. */
    int compare(const char* other) const;

    const char* c_str() const { return buffer_; }
    std::int32_t capacity() const { return capacity_; }

private:
    char* buffer_;
    std::int32_t capacity_;
};

/** Length of `text` cut to at most `maxBytes` bytes without splitting a UTF-8 sequence. */
std::int32_t utf8TruncatedLength(const char* text, std::int32_t maxBytes);

/** Copies `text` into `destination` of `capacity` bytes, truncating as CString does. */
void copyTruncated(char* destination, std::int32_t capacity, const char* text);

} // namespace Core
