// The text of the service's HTTP requests and the reading of reply headers, apart from the sockets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Pellu {

/** A reply header longer than this is refused. */
inline constexpr std::size_t kMaxReplyHeaderBytes = 512;

/** The path with every space written as %20. */
std::string encodeSpaces(std::string_view path);

/** Standard base64 (with padding). */
std::string base64(std::string_view bytes);

/**
 * "GET /<path> HTTP/1.1", the Host line, an Authorization line when `credential` ("user:password") is
 * given, "Connection: close" and the empty line that ends the header. Lines end in "\n". `path` has no
 * leading "/".
 */
std::string buildGetRequest(std::string_view host, std::string_view path, std::string_view credential);

struct ReplyHeader {
    int statusCode = 0;
    std::optional<std::uint64_t> contentLength;
    bool chunked = false;
};

/**
 * Reads a complete reply header (status line up to, not including, the empty line). Nothing when the
 * status line does not begin with "HTTP" followed by a three-digit code, or when Content-Length is not a
 * plain decimal number.
 */
std::optional<ReplyHeader> parseReplyHeader(std::string_view header);

/** Where the header of `received` ends (after its empty line, "\r\n\r\n" or "\n\n"); npos while open. */
std::size_t replyHeaderEnd(std::string_view received);

struct HttpUrl {
    std::string host;
    int port = 80;
    std::string path; ///< without the leading "/"
};

/**
 * An "http://host[:port][/path]" address; nothing for any other scheme or a malformed one (control
 * characters or bytes outside ASCII included).
 */
std::optional<HttpUrl> parseHttpUrl(std::string_view url);

} // namespace Pellu
