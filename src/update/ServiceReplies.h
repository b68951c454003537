// What the service reads from the server's replies. The replies are outside data: anything malformed
// is ignored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Pellu {

/** Addresses longer than this are ignored. */
inline constexpr std::size_t kMaxAddressLength = 1024;
/** The news list keeps at most this many numbers. */
inline constexpr std::size_t kMaxNewsNumbers = 256;

struct UpdateReply {
    std::string downloadUrl; ///< the installer; empty when no update is offered
    std::string productPage; ///< empty when the reply names none
};

/**
 * The update check's reply: a line beginning with the keyword "UPDATE" followed by an "http://" address
 * offers the installer there; a line beginning with "PRODUCT_PAGE" followed by an "http://" or
 * "https://" address names the product page. Between keyword and address may stand "=", ":" or blanks;
 * an address ends at the first blank or control character, and one with any other byte outside printable
 * ASCII is refused whole. The first usable line of each kind counts.
 */
UpdateReply parseUpdateReply(std::string_view reply);

/** The news check's reply: unsigned 64-bit decimal numbers separated by anything else; zeros and
 * numbers that do not fit are dropped. */
std::vector<std::uint64_t> parseNewsReply(std::string_view reply);

} // namespace Pellu
