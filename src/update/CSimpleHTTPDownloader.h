// A plain HTTP/1.1 GET over a TCP socket: one request per connection, non-blocking with timeouts and an
// overall deadline, reply sizes bounded, cancellable from another thread at every step, the name lookup
// included.
#pragma once

#include "update/NameLookup.h"
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
    kHttpTimedOut = 2,     ///< the server went silent too long, or the request outlived its deadline
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
    /** Longest a text request may take from the name lookup to the last byte: a server that trickles
     * its reply cannot keep it alive. */
    std::chrono::milliseconds total{20000};
    std::chrono::milliseconds download{30 * 60 * 1000}; ///< the same for an installer download
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
    /** Replaces the system's resolver (tests give one that never answers). */
    void setNameLookup(NameLookupStarter starter) { lookup_ = std::move(starter); }
    /** "user:password" sent as Basic authorization by requests marked for it; empty: none. */
    void setCredential(std::string credential) { credential_ = std::move(credential); }

    /**
     * GET `path` (no leading "/") within the `total` deadline; the body, at most kMaxTextReplyBytes, lands
     * in `body` on success only.
     */
    int get(const std::string& host, int port, const std::string& path, bool withAuthorization,
            std::string& body);
    /** GET `path` within the `download` deadline and hand the body, at most `maxBytes`, to `sink` as it
     * arrives. */
    int get(const std::string& host, int port, const std::string& path, bool withAuthorization,
            IHttpBodySink& sink, std::uint64_t maxBytes);

    /**
     * How many times any downloader of the process has resolved a name or opened a socket. The service
     * promises none without a configured server; tests hold it to that.
     */
    static std::uint64_t networkAttempts();

private:
    int request(const std::string& host, int port, const std::string& path, bool withAuthorization,
                IHttpBodySink& sink, std::uint64_t maxBytes, std::chrono::milliseconds deadline);
    int lookUp(const std::string& host, int port, std::unique_ptr<INameLookup>& lookup);
    int connectTo(const std::string& host, int port, Sockets::Socket& socket);
    int waitFor(Sockets::Socket socket, bool forWriting, std::chrono::milliseconds timeout);
    int sendAll(Sockets::Socket socket, const std::string& request);
    int receive(Sockets::Socket socket, IHttpBodySink& sink, std::uint64_t maxBytes);
    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    const std::atomic<bool>* cancel_;
    HttpTimeouts timeouts_;
    NameLookupStarter lookup_ = startSystemNameLookup;
    std::chrono::steady_clock::time_point deadline_; // of the request under way
    std::string credential_;
};

} // namespace Pellu
