#include "update/platform/Sockets.h"

#include <cerrno>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Pellu::Sockets {

Connection startConnection(const Address& address, Socket& socket) {
    const int fd = ::socket(address.family, address.type | SOCK_NONBLOCK | SOCK_CLOEXEC, address.protocol);
    if (fd < 0) return Connection::kFailed;
    socket = fd;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(address.bytes.data()),
                  static_cast<socklen_t>(address.bytes.size())) == 0)
        return Connection::kConnected;
    return errno == EINPROGRESS ? Connection::kPending : Connection::kFailed;
}

bool connectionSucceeded(Socket socket) {
    int error = 0;
    socklen_t length = sizeof(error);
    return ::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

int waitReady(Socket socket, bool forWriting, std::chrono::milliseconds timeout) {
    pollfd entry{static_cast<int>(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    if (ready > 0) return 1;
    return ready == 0 || errno == EINTR ? 0 : -1;
}

std::ptrdiff_t sendSome(Socket socket, const char* data, std::size_t size) {
    // A peer that went away must not raise SIGPIPE in the host.
    const ssize_t n = ::send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return kRetry;
    return n <= 0 ? -1 : n;
}

std::ptrdiff_t receiveSome(Socket socket, char* data, std::size_t size) {
    const ssize_t n = ::recv(static_cast<int>(socket), data, size, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return kRetry;
    return n < 0 ? -1 : n;
}

void closeSocket(Socket socket) {
    if (socket != kNoSocket) ::close(static_cast<int>(socket));
}

} // namespace Pellu::Sockets
