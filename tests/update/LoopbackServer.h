#pragma once
// A small HTTP server of the tests' own on 127.0.0.1: it reads each request up to its empty line and
// sends what the test's responder returns, then closes; a responder answer of nothing keeps the
// connection open and silent until the server stops. A server given a trickle interval sends its answers
// one byte per interval.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace KavrenTest {

class LoopbackServer {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& request)>;

    explicit LoopbackServer(Responder responder, int trickleMilliseconds = 0)
        : responder_(std::move(responder)), trickle_(trickleMilliseconds) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackServer() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t ignored = ::write(stop_, &one, sizeof(one));
        if (thread_.joinable()) thread_.join();
        for (int held : held_) ::close(held);
        ::close(listener_);
        ::close(stop_);
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
    // Waits for `fd` (or, without one, `timeout` milliseconds) or the stop signal; false on stop.
    bool wait(int fd, int timeout = -1) {
        pollfd entries[2] = {{fd, POLLIN, 0}, {stop_, POLLIN, 0}};
        while (::poll(entries, 2, timeout) < 0) {
        }
        return !(entries[1].revents & POLLIN);
    }

    void serve() {
        while (wait(listener_)) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\n\n") == std::string::npos &&
                   request.find("\r\n\r\n") == std::string::npos) {
                if (!wait(connection)) {
                    ::close(connection);
                    return;
                }
                const ssize_t n = ::recv(connection, buffer, sizeof(buffer), 0);
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
                if (trickle_ > 0 && sent > 0 && !wait(-1, trickle_)) break;
                const std::size_t size = trickle_ > 0 ? 1 : answer->size() - sent;
                const ssize_t n = ::send(connection, answer->data() + sent, size, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            ::close(connection);
        }
    }

    Responder responder_;
    int trickle_;
    int listener_ = -1;
    int stop_ = ::eventfd(0, EFD_CLOEXEC);
    int port_ = 0;
    std::vector<int> held_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace KavrenTest
