// Looking a server's name up without being held by it: the resolver may take as long as it likes (a
// silent DNS server takes many seconds), while the request waits for it in short slices, watching its
// cancel flag and deadline, and walks away when either says so.
#pragma once

#include "update/platform/Sockets.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace Pellu {

class INameLookup {
public:
    enum Result { kPending, kFailed, kResolved };
    /** A lookup still running is abandoned: its owner never waits for it to end. */
    virtual ~INameLookup() = default;
    /** Waits at most `slice` for the answer. */
    virtual Result wait(std::chrono::milliseconds slice) = 0;
    /** The addresses once resolved. */
    virtual const std::vector<Sockets::Address>& addresses() const = 0;
};

/** Starts looking up a stream socket's addresses for `host` and the decimal `port`. */
using NameLookupStarter = std::function<std::unique_ptr<INameLookup>(const std::string& host, int port)>;

/**
 * The system's resolver. On Linux the C library's own helper threads run it, so a lookup can be
 * abandoned; on Windows it still resolves before it returns.
 */
std::unique_ptr<INameLookup> startSystemNameLookup(const std::string& host, int port);

} // namespace Pellu
