#include "update/NameLookup.h"

namespace Pellu {
namespace {

// Resolved before the request waits for it: the cancel flag and the deadline only apply afterwards.
class BlockingNameLookup : public INameLookup {
public:
    BlockingNameLookup(const std::string& host, int port) : addresses_(Sockets::resolve(host, port)) {}
    Result wait(std::chrono::milliseconds) override { return addresses_.empty() ? kFailed : kResolved; }
    const std::vector<Sockets::Address>& addresses() const override { return addresses_; }

private:
    std::vector<Sockets::Address> addresses_;
};

} // namespace

std::unique_ptr<INameLookup> startSystemNameLookup(const std::string& host, int port) {
    return std::make_unique<BlockingNameLookup>(host, port);
}

} // namespace Pellu
