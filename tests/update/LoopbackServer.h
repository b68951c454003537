#pragma once
// A small HTTP server of the tests' own on 127.0.0.1: it reads each request up to its empty line and
// sends what the test's responder returns, then closes; a responder answer of nothing keeps the
// connection open and silent until the server stops. A server given a trickle interval sends its answers
// one byte per interval. POSIX sockets on Linux, Winsock on Windows.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace KavrenTest {

namespace LoopbackSockets {
#ifdef _WIN32
using Socket = SOCKET;
using PollEntry = WSAPOLLFD;
inline constexpr int kSendFlags = 0;
inline int pollAll(PollEntry* entries, int count, int timeout) {
    return ::WSAPoll(entries, static_cast<ULONG>(count), timeout);
}
inline void closeSocket(Socket socket) {
    ::closesocket(socket);
}
/** Winsock must be started before the first socket; the process keeps it. */
inline bool started() {
    static const bool ok = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}
#else
using Socket = int;
using PollEntry = pollfd;
inline constexpr int kSendFlags = MSG_NOSIGNAL;
inline int pollAll(PollEntry* entries, int count, int timeout) {
    return ::poll(entries, static_cast<nfds_t>(count), timeout);
}
inline void closeSocket(Socket socket) {
    ::close(socket);
}
inline bool started() {
    return true;
}
#endif

/** A socket of `type` bound to 127.0.0.1 on a port the system picks, whose address `address` receives. */
inline Socket boundToLoopback(int type, sockaddr_in& address) {
    const Socket socket = started() ? ::socket(AF_INET, type, 0) : Socket(-1);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        address.sin_port = 0;
    return socket;
}
} // namespace LoopbackSockets

class LoopbackServer {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& request)>;

    explicit LoopbackServer(Responder responder, int trickleMilliseconds = 0)
        : responder_(std::move(responder)), trickle_(trickleMilliseconds) {
        // The stop signal is a datagram to a socket of the server's own, which poll() watches on both
        // systems.
        sockaddr_in address{};
        listener_ = LoopbackSockets::boundToLoopback(SOCK_STREAM, address);
        stop_ = LoopbackSockets::boundToLoopback(SOCK_DGRAM, stopAddress_);
        if (address.sin_port == 0 || stopAddress_.sin_port == 0 || ::listen(listener_, 8) != 0) return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackServer() {
        ::sendto(stop_, "x", 1, 0, reinterpret_cast<const sockaddr*>(&stopAddress_), sizeof(stopAddress_));
        if (thread_.joinable()) thread_.join();
        for (Socket held : held_) LoopbackSockets::closeSocket(held);
        LoopbackSockets::closeSocket(listener_);
        LoopbackSockets::closeSocket(stop_);
    }

    int port() const { return port_; }

    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    /** The request lines ("GET /... HTTP/1.1") received so far. */
    std::vector<std::string> requestLines() const {
        std::vector<std::string> lines;
        for (const std::string& request : requests()) lines.push_back(request.substr(0, request.find('\n')));
        return lines;
    }

    static std::string reply(const std::string& body) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }

private:
    using Socket = LoopbackSockets::Socket;

    // Waits for `socket` (or, without one, `timeout` milliseconds) or the stop signal; false on stop.
    bool wait(Socket socket, int timeout = -1) {
        LoopbackSockets::PollEntry entries[2] = {{socket, POLLIN, 0}, {stop_, POLLIN, 0}};
        // Without a socket only the stop signal is watched (Winsock refuses entries without one).
        LoopbackSockets::PollEntry* first = socket == kNoSocket ? entries + 1 : entries;
        while (LoopbackSockets::pollAll(first, static_cast<int>(entries + 2 - first), timeout) < 0) {
        }
        return !(entries[1].revents & POLLIN);
    }

    void serve() {
        while (wait(listener_)) {
            const Socket connection = ::accept(listener_, nullptr, nullptr);
            if (connection == kNoSocket) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\n\n") == std::string::npos &&
                   request.find("\r\n\r\n") == std::string::npos) {
                if (!wait(connection)) {
                    LoopbackSockets::closeSocket(connection);
                    return;
                }
                const auto n = ::recv(connection, buffer, sizeof(buffer), 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            const std::optional<std::string> answer = responder_(request);
            if (!answer) {
                held_.push_back(connection);
                continue;
            }
            for (std::size_t sent = 0; sent < answer->size();) {
                if (trickle_ > 0 && sent > 0 && !wait(kNoSocket, trickle_)) break;
                const std::size_t size = trickle_ > 0 ? 1 : answer->size() - sent;
                const auto n = ::send(connection, answer->data() + sent, static_cast<int>(size),
                                      LoopbackSockets::kSendFlags);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            LoopbackSockets::closeSocket(connection);
        }
    }

    static constexpr Socket kNoSocket = static_cast<Socket>(-1);

    Responder responder_;
    int trickle_;
    Socket listener_ = kNoSocket;
    Socket stop_ = kNoSocket;
    sockaddr_in stopAddress_{};
    int port_ = 0;
    std::vector<Socket> held_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace KavrenTest
