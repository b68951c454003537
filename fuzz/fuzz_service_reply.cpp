// The update server's replies: the header, the update and news bodies, and the installer address with
// the file name taken from it.
#include "update/HttpMessage.h"
#include "update/InstallerFile.h"
#include "update/ServiceReplies.h"

#include <cctype>
#include <cstdint>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool isSafeName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name.front() == '.' || name.front() == ' ' || name.back() == ' ')
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_' && c != ' ')
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const std::size_t end = Pellu::replyHeaderEnd(text); end != std::string_view::npos) {
        check(end <= text.size());
        Pellu::parseReplyHeader(text.substr(0, end));
    }

    const Pellu::UpdateReply reply = Pellu::parseUpdateReply(text);
    check(reply.downloadUrl.empty() || reply.downloadUrl.rfind("http://", 0) == 0);
    for (const std::string* address : {&reply.downloadUrl, &reply.productPage}) {
        check(address->size() <= Pellu::kMaxAddressLength);
        for (char c : *address)
            check(static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 127);
    }
    if (const auto url = Pellu::parseHttpUrl(reply.downloadUrl)) {
        check(!url->host.empty() && url->port > 0 && url->port <= 65535);
        check(isSafeName(Pellu::sanitizedFileName(url->path, "fallback")));
    }
    check(isSafeName(Pellu::sanitizedFileName(text, "fallback")));

    const auto news = Pellu::parseNewsReply(text);
    check(news.size() <= Pellu::kMaxNewsNumbers);
    for (std::uint64_t number : news) check(number != 0);
    return 0;
}
