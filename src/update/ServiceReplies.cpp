#include "update/ServiceReplies.h"

namespace Pellu {
namespace {

bool endsAddress(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool isAddressCharacter(char c) {
    return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 127;
}

/** The address after `keyword` at the start of `line`, when it begins with one of the schemes. */
std::string addressAfter(std::string_view line, std::string_view keyword, bool allowHttps) {
    if (line.substr(0, keyword.size()) != keyword) return {};
    line.remove_prefix(keyword.size());
    std::size_t start = 0;
    while (start < line.size() &&
           (line[start] == '=' || line[start] == ':' || line[start] == ' ' || line[start] == '\t'))
        ++start;
    if (start == 0 && !line.empty()) return {}; // a longer keyword, e.g. "UPDATES"
    std::size_t end = start;
    while (end < line.size() && !endsAddress(line[end])) ++end;
    const std::string_view address = line.substr(start, end - start);
    // A character outside printable ASCII makes the address unusable; a part of it would be another one.
    for (char c : address)
        if (!isAddressCharacter(c)) return {};
    const bool http = address.substr(0, 7) == "http://" && address.size() > 7;
    const bool https = allowHttps && address.substr(0, 8) == "https://" && address.size() > 8;
    if ((!http && !https) || address.size() > kMaxAddressLength) return {};
    return std::string(address);
}

} // namespace

UpdateReply parseUpdateReply(std::string_view reply) {
    UpdateReply parsed;
    std::size_t start = 0;
    while (start < reply.size()) {
        std::size_t end = reply.find('\n', start);
        if (end == std::string_view::npos) end = reply.size();
        std::string_view line = reply.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (parsed.downloadUrl.empty()) parsed.downloadUrl = addressAfter(line, "UPDATE", false);
        if (parsed.productPage.empty()) parsed.productPage = addressAfter(line, "PRODUCT_PAGE", true);
    }
    return parsed;
}

std::vector<std::uint64_t> parseNewsReply(std::string_view reply) {
    std::vector<std::uint64_t> numbers;
    std::size_t i = 0;
    while (i < reply.size() && numbers.size() < kMaxNewsNumbers) {
        if (reply[i] < '0' || reply[i] > '9') {
            ++i;
            continue;
        }
        std::uint64_t value = 0;
        bool fits = true;
        for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i) {
            const auto digit = static_cast<std::uint64_t>(reply[i] - '0');
            if (value > (UINT64_MAX - digit) / 10) fits = false;
            if (fits) value = value * 10 + digit;
        }
        if (fits && value != 0) numbers.push_back(value);
    }
    return numbers;
}

} // namespace Pellu
