#include "update/HttpMessage.h"

#include <cctype>

namespace Pellu {
namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::uint64_t> decimal(std::string_view text, std::uint64_t limit) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool isHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
}

} // namespace

std::string encodeSpaces(std::string_view path) {
    std::string encoded;
    encoded.reserve(path.size());
    for (char c : path) {
        if (c == ' ')
            encoded += "%20";
        else
            encoded += c;
    }
    return encoded;
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 2]);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return text;
}

std::string buildGetRequest(std::string_view host, std::string_view path, std::string_view credential) {
    std::string request = "GET /" + encodeSpaces(path) + " HTTP/1.1\nHost: " + std::string(host) + "\n";
    if (!credential.empty()) request += "Authorization: Basic " + base64(credential) + "\n";
    // One request per connection: the end of the body is also the end of the connection.
    request += "Connection: close\n\n";
    return request;
}

std::size_t replyHeaderEnd(std::string_view received) {
    for (std::size_t i = 0; i < received.size(); ++i) {
        if (received[i] != '\n') continue;
        if (i + 1 < received.size() && received[i + 1] == '\n') return i + 2;
        if (i + 2 < received.size() && received[i + 1] == '\r' && received[i + 2] == '\n') return i + 3;
    }
    return std::string_view::npos;
}

std::optional<ReplyHeader> parseReplyHeader(std::string_view header) {
    std::size_t lineEnd = header.find('\n');
    const std::string_view statusLine = trimmed(header.substr(0, lineEnd));
    if (statusLine.substr(0, 4) != "HTTP") return std::nullopt;
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view code = statusLine.substr(space + 1, 3);
    const auto status = decimal(code, 999);
    if (!status || code.size() != 3 || (statusLine.size() > space + 4 && statusLine[space + 4] != ' '))
        return std::nullopt;

    ReplyHeader reply;
    reply.statusCode = static_cast<int>(*status);
    while (lineEnd != std::string_view::npos) {
        const std::size_t start = lineEnd + 1;
        lineEnd = header.find('\n', start);
        const std::string_view line =
            header.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start);
        if (startsWithIgnoringCase(line, "Content-Length:")) {
            reply.contentLength = decimal(trimmed(line.substr(15)), UINT64_MAX);
            if (!reply.contentLength) return std::nullopt;
        } else if (startsWithIgnoringCase(line, "Transfer-Encoding:")) {
            reply.chunked = trimmed(line.substr(18)) != "identity";
        }
    }
    return reply;
}

std::optional<HttpUrl> parseHttpUrl(std::string_view url) {
    if (!startsWithIgnoringCase(url, "http://")) return std::nullopt;
    url.remove_prefix(7);
    HttpUrl parsed;
    const std::size_t slash = url.find('/');
    std::string_view authority = url.substr(0, slash);
    if (slash != std::string_view::npos) parsed.path = std::string(url.substr(slash + 1));
    if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        const auto port = decimal(authority.substr(colon + 1), 65535);
        if (!port || *port == 0) return std::nullopt;
        parsed.port = static_cast<int>(*port);
        authority = authority.substr(0, colon);
    }
    if (authority.empty()) return std::nullopt;
    for (char c : authority)
        if (!isHostCharacter(c)) return std::nullopt;
    for (char c : parsed.path)
        if ((static_cast<unsigned char>(c) <= ' ' && c != ' ') || static_cast<unsigned char>(c) >= 127)
            return std::nullopt;
    parsed.host = std::string(authority);
    return parsed;
}

} // namespace Pellu
