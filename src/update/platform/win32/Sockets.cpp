#include "update/platform/Sockets.h"

#include <algorithm>
#include <mutex>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace Pellu::Sockets {
namespace {

/** Winsock is started once for the process and left running: the host may use it too. */
bool networkingStarted() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data{};
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

SOCKET native(Socket socket) {
    return static_cast<SOCKET>(socket);
}

} // namespace

std::vector<Address> resolve(const std::string& host, int port) {
    if (host.empty() || !networkingStarted()) return {};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return {};
    std::vector<Address> addresses = copyAddresses(found);
    ::freeaddrinfo(found);
    return addresses;
}

Connection startConnection(const Address& address, Socket& socket) {
    // Not inheritable, so programs the host starts do not keep the connection open.
    const SOCKET handle =
        WSASocketW(address.family, address.type, address.protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (handle == INVALID_SOCKET) return Connection::kFailed;
    socket = static_cast<Socket>(handle);
    u_long nonBlocking = 1;
    if (::ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) return Connection::kFailed;
    if (::connect(handle, reinterpret_cast<const sockaddr*>(address.bytes.data()),
                  static_cast<int>(address.bytes.size())) == 0)
        return Connection::kConnected;
    return WSAGetLastError() == WSAEWOULDBLOCK ? Connection::kPending : Connection::kFailed;
}

bool connectionSucceeded(Socket socket) {
    int error = 0;
    int length = sizeof(error);
    return ::getsockopt(native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) ==
               0 &&
           error == 0;
}

int waitReady(Socket socket, bool forWriting, std::chrono::milliseconds timeout) {
    WSAPOLLFD entry{native(socket), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int ready = ::WSAPoll(&entry, 1, static_cast<INT>(timeout.count()));
    if (ready > 0) {
        // A refused connection shows as an error, not as writability.
        return forWriting && (entry.revents & (POLLERR | POLLHUP)) && !(entry.revents & POLLOUT) ? -1 : 1;
    }
    return ready == 0 || WSAGetLastError() == WSAEINTR ? 0 : -1;
}

std::ptrdiff_t sendSome(Socket socket, const char* data, std::size_t size) {
    const int n = ::send(native(socket), data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEWOULDBLOCK || WSAGetLastError() == WSAEINTR ? kRetry : -1;
    return n <= 0 ? -1 : n;
}

std::ptrdiff_t receiveSome(Socket socket, char* data, std::size_t size) {
    const int n = ::recv(native(socket), data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEWOULDBLOCK || WSAGetLastError() == WSAEINTR ? kRetry : -1;
    return n;
}

void closeSocket(Socket socket) {
    if (socket != kNoSocket) ::closesocket(native(socket));
}

} // namespace Pellu::Sockets
