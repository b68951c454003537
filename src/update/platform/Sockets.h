#pragma once
// The socket calls the HTTP downloader makes: POSIX sockets on Linux, Winsock on Windows.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Pellu::Sockets {

/** A descriptor on Linux, a SOCKET handle on Windows. */
using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

/** One address of a resolved name, in the form connect() takes. */
struct Address {
    int family = 0;
    int type = 0;
    int protocol = 0;
    std::vector<std::uint8_t> bytes;
};

/** The addresses of a getaddrinfo() list, copied out of the system's structures. */
template <typename AddressInfo> std::vector<Address> copyAddresses(const AddressInfo* list) {
    std::vector<Address> addresses;
    for (const AddressInfo* entry = list; entry; entry = entry->ai_next) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry->ai_addr);
        addresses.push_back({entry->ai_family, entry->ai_socktype, entry->ai_protocol,
                             std::vector<std::uint8_t>(bytes, bytes + entry->ai_addrlen)});
    }
    return addresses;
}

/** The stream addresses of host:port; empty when the name does not resolve. Windows only: Linux looks
 * names up asynchronously (see NameLookup.h). */
std::vector<Address> resolve(const std::string& host, int port);

enum class Connection { kConnected, kPending, kFailed };
/**
 * Opens a non-blocking socket into `socket` and starts connecting it; kPending asks the caller to wait
 * until it is writable and then ask connectionSucceeded().
 */
Connection startConnection(const Address& address, Socket& socket);
bool connectionSucceeded(Socket socket);

/** Waits at most `timeout` for the socket to be writable or readable: 1 ready, 0 not yet, -1 failed. */
int waitReady(Socket socket, bool forWriting, std::chrono::milliseconds timeout);

/** A call to retry (interrupted, or nothing to do yet). */
inline constexpr std::ptrdiff_t kRetry = -2;
/** Bytes sent, kRetry, or -1 when the connection failed. */
std::ptrdiff_t sendSome(Socket socket, const char* data, std::size_t size);
/** Bytes received, 0 at the end of the stream, kRetry, or -1 when the connection failed. */
std::ptrdiff_t receiveSome(Socket socket, char* data, std::size_t size);

void closeSocket(Socket socket);

} // namespace Pellu::Sockets
