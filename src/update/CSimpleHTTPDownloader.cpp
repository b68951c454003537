#include "update/CSimpleHTTPDownloader.h"

#include "update/HttpMessage.h"
#include "update/platform/Sockets.h"

#include <algorithm>
#include <optional>

namespace Pellu {
namespace {

std::atomic<std::uint64_t> attempts{0};

// How often a waiting request looks at the cancel flag.
constexpr std::chrono::milliseconds kCancelSlice{25};

class Socket {
public:
    ~Socket() { Sockets::closeSocket(handle); }
    Sockets::Socket handle = Sockets::kNoSocket;
};

class StringSink : public IHttpBodySink {
public:
    bool write(const char* data, std::size_t size) override {
        text.append(data, size);
        return true;
    }
    std::string text;
};

} // namespace

std::uint64_t CSimpleHTTPDownloader::networkAttempts() {
    return attempts.load();
}

int CSimpleHTTPDownloader::get(const std::string& host, int port, const std::string& path,
                               bool withAuthorization, std::string& body) {
    StringSink sink;
    const int status =
        request(host, port, path, withAuthorization, sink, kMaxTextReplyBytes, timeouts_.total);
    if (status == kHttpComplete) body = std::move(sink.text);
    return status;
}

int CSimpleHTTPDownloader::get(const std::string& host, int port, const std::string& path,
                               bool withAuthorization, IHttpBodySink& sink, std::uint64_t maxBytes) {
    return request(host, port, path, withAuthorization, sink, maxBytes, timeouts_.download);
}

int CSimpleHTTPDownloader::request(const std::string& host, int port, const std::string& path,
                                   bool withAuthorization, IHttpBodySink& sink, std::uint64_t maxBytes,
                                   std::chrono::milliseconds deadline) {
    if (cancelled()) return kHttpCancelled;
    deadline_ = std::chrono::steady_clock::now() + deadline;
    Socket socket;
    int status = connectTo(host, port, socket.handle);
    if (status != kHttpComplete) return status;
    status =
        sendAll(socket.handle, buildGetRequest(host, path, withAuthorization ? credential_ : std::string()));
    if (status != kHttpComplete) return status;
    return receive(socket.handle, sink, maxBytes);
}

// Waits in slices for the resolver, which may never answer; the lookup is abandoned, not waited for, when
// the request gives up.
int CSimpleHTTPDownloader::lookUp(const std::string& host, int port, std::unique_ptr<INameLookup>& lookup) {
    attempts.fetch_add(1);
    if (host.empty() || !(lookup = lookup_(host, port))) return kHttpNoConnection;
    const auto giveUp = std::min(deadline_, std::chrono::steady_clock::now() + timeouts_.connect);
    for (;;) {
        if (cancelled()) return kHttpCancelled;
        if (std::chrono::steady_clock::now() >= giveUp) return kHttpTimedOut;
        switch (lookup->wait(kCancelSlice)) {
        case INameLookup::kResolved:
            return kHttpComplete;
        case INameLookup::kFailed:
            return kHttpNoConnection;
        case INameLookup::kPending:
            break;
        }
    }
}

int CSimpleHTTPDownloader::waitFor(Sockets::Socket socket, bool forWriting,
                                   std::chrono::milliseconds timeout) {
    const auto deadline = std::min(deadline_, std::chrono::steady_clock::now() + timeout);
    for (;;) {
        if (cancelled()) return kHttpCancelled;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return kHttpTimedOut;
        const int ready = Sockets::waitReady(socket, forWriting, std::min(left, kCancelSlice));
        if (ready > 0) return kHttpComplete;
        if (ready < 0) return kHttpNoConnection;
    }
}

int CSimpleHTTPDownloader::connectTo(const std::string& host, int port, Sockets::Socket& socket) {
    std::unique_ptr<INameLookup> lookup;
    if (const int found = lookUp(host, port, lookup); found != kHttpComplete) return found;
    int status = kHttpNoConnection;
    for (const Sockets::Address& address : lookup->addresses()) {
        attempts.fetch_add(1);
        Sockets::Socket candidate = Sockets::kNoSocket;
        const Sockets::Connection connection = Sockets::startConnection(address, candidate);
        status = connection == Sockets::Connection::kConnected ? kHttpComplete : kHttpNoConnection;
        if (connection == Sockets::Connection::kPending) {
            status = waitFor(candidate, true, timeouts_.connect);
            if (status == kHttpComplete && !Sockets::connectionSucceeded(candidate))
                status = kHttpNoConnection;
        }
        if (status == kHttpComplete) {
            socket = candidate;
            break;
        }
        Sockets::closeSocket(candidate);
        if (status == kHttpCancelled) break;
    }
    return status;
}

int CSimpleHTTPDownloader::sendAll(Sockets::Socket socket, const std::string& request) {
    std::size_t sent = 0;
    while (sent < request.size()) {
        const int status = waitFor(socket, true, timeouts_.silence);
        if (status != kHttpComplete) return status;
        const std::ptrdiff_t n = Sockets::sendSome(socket, request.data() + sent, request.size() - sent);
        if (n == Sockets::kRetry) continue;
        if (n <= 0) return kHttpNoConnection;
        sent += static_cast<std::size_t>(n);
    }
    return kHttpComplete;
}

int CSimpleHTTPDownloader::receive(Sockets::Socket socket, IHttpBodySink& sink, std::uint64_t maxBytes) {
    std::string header;
    std::optional<ReplyHeader> reply;
    std::uint64_t received = 0;
    char buffer[16384];
    for (;;) {
        if (reply && reply->contentLength && received == *reply->contentLength) return kHttpComplete;
        const int status = waitFor(socket, false, timeouts_.silence);
        if (status != kHttpComplete) return status;
        // Until the header is complete, read no further than its limit, so that nothing of it is lost.
        const std::size_t wanted = reply ? sizeof(buffer) : kMaxReplyHeaderBytes + 1 - header.size();
        const std::ptrdiff_t n = Sockets::receiveSome(socket, buffer, wanted);
        if (n == Sockets::kRetry) continue;
        if (n < 0) return kHttpTruncated;
        if (n == 0) {
            if (!reply) return kHttpBadReply;
            return reply->contentLength ? kHttpTruncated : kHttpComplete;
        }
        const char* data = buffer;
        std::size_t size = static_cast<std::size_t>(n);
        if (!reply) {
            header.append(data, size);
            const std::size_t end = replyHeaderEnd(header);
            if (end == std::string::npos) {
                if (header.size() > kMaxReplyHeaderBytes) return kHttpBadReply;
                continue;
            }
            if (end > kMaxReplyHeaderBytes) return kHttpBadReply;
            reply = parseReplyHeader(std::string_view(header).substr(0, end));
            if (!reply || reply->chunked) return kHttpBadReply;
            if (reply->statusCode != 200) return kHttpRefused;
            if (reply->contentLength && *reply->contentLength > maxBytes) return kHttpTooLarge;
            data = header.data() + end;
            size = header.size() - end;
        }
        if (reply->contentLength)
            size = static_cast<std::size_t>(std::min<std::uint64_t>(size, *reply->contentLength - received));
        if (received + size > maxBytes) return kHttpTooLarge;
        if (size > 0 && !sink.write(data, size)) return kHttpNotStored;
        received += size;
        sink.progress(received, reply->contentLength.value_or(0));
    }
}

} // namespace Pellu
