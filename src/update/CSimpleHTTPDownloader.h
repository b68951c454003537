// A plain HTTP/1.1 GET over a TCP socket: one request per connection, non-blocking with timeouts, reply
// sizes bounded, cancellable from another thread.
#pragma once

#include "update/platform/Sockets.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace Pellu {

/** Bodies of the service's text replies (update check, news) are refused beyond this size. */
inline constexpr std::uint64_t kMaxTextReplyBytes = 64 * 1024;
/** Installer downloads are refused beyond this size. */
inline constexpr std::uint64_t kMaxDownloadBytes = 512ull * 1024 * 1024;

/** Results of a request; only kHttpComplete means a complete reply with its body. */
enum HttpStatus : int {
    kHttpNoConnection = 1, ///< the name did not resolve or no address accepted the connection
    kHttpTimedOut = 2,     ///< the server went silent for longer than the timeout
    kHttpBadReply = 3,     ///< not an HTTP reply, header too long, or a body form that is not read
    kHttpRefused = 4,      ///< an HTTP status other than 200
    kHttpTooLarge = 5,     ///< the body exceeds the size limit
    kHttpTruncated = 6,    ///< the connection ended before the announced length
    kHttpCancelled = 7,    ///< the service is shutting down
    kHttpNotStored = 8,    ///< the receiver of the body refused it
    kHttpComplete = 9,
};

struct HttpTimeouts {
    std::chrono::milliseconds connect{4000};
    std::chrono::milliseconds silence{8000}; ///< longest wait for the next bytes
};

/** Receives a body as it arrives. */
class IHttpBodySink {
public:
    virtual ~IHttpBodySink() = default;
    /** False stops the request (kHttpNotStored). */
    virtual bool write(const char* data, std::size_t size) = 0;
    /** Bytes so far and the announced total (0 when the server announced none). */
    virtual void progress(std::uint64_t, std::uint64_t) {}
};

class CSimpleHTTPDownloader {
public:
    /** `cancel`, when given, ends a running request within a few tens of milliseconds once it is set. */
    explicit CSimpleHTTPDownloader(const std::atomic<bool>* cancel = nullptr) : cancel_(cancel) {}

    void setTimeouts(HttpTimeouts timeouts) { timeouts_ = timeouts; }
    /** "user:password" sent as Basic authorization by requests marked for it; empty: none. */
    void setCredential(std::string credential) { credential_ = std::move(credential); }

    /** GET `path` (no leading "/"); the body, at most kMaxTextReplyBytes, lands in `body` on success only. */
    int get(const std::string& host, int port, const std::string& path, bool withAuthorization,
            std::string& body);
    /** GET `path` and hand the body, at most `maxBytes`, to `sink` as it arrives. */
    int get(const std::string& host, int port, const std::string& path, bool withAuthorization,
            IHttpBodySink& sink, std::uint64_t maxBytes);

    /**
     * How many times any downloader of the process has resolved a name or opened a socket. The service
     * promises none without a configured server; tests hold it to that.
     */
    static std::uint64_t networkAttempts();

private:
    int connectTo(const std::string& host, int port, Sockets::Socket& socket);
    int waitFor(Sockets::Socket socket, bool forWriting, std::chrono::milliseconds timeout);
    int sendAll(Sockets::Socket socket, const std::string& request);
    int receive(Sockets::Socket socket, IHttpBodySink& sink, std::uint64_t maxBytes);
    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    const std::atomic<bool>* cancel_;
    HttpTimeouts timeouts_;
    std::string credential_;
};

} // namespace Pellu
