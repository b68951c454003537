#include "update/NameLookup.h"

#include <netdb.h>

#include <ctime>

namespace Pellu {
namespace {

class SystemNameLookup : public INameLookup {
public:
    SystemNameLookup(const std::string& host, int port) : request_(new Request{host, std::to_string(port)}) {
        request_->hints.ai_family = AF_UNSPEC;
        request_->hints.ai_socktype = SOCK_STREAM;
        request_->hints.ai_flags = AI_NUMERICSERV;
        request_->block.ar_name = request_->host.c_str();
        request_->block.ar_service = request_->service.c_str();
        request_->block.ar_request = &request_->hints;
        gaicb* list[] = {&request_->block};
        started_ = ::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) == 0;
    }

    ~SystemNameLookup() override {
        if (started_ && ::gai_error(&request_->block) == EAI_INPROGRESS &&
            ::gai_cancel(&request_->block) == EAI_NOTCANCELED) {
            // The C library's thread still works on the request and will write its answer into it: the
            // request stays with it (a few hundred bytes per lookup abandoned).
            request_.release();
            return;
        }
        if (request_->block.ar_result) ::freeaddrinfo(request_->block.ar_result);
    }

    Result wait(std::chrono::milliseconds slice) override {
        if (!started_) return kFailed;
        const gaicb* list[] = {&request_->block};
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(slice);
        const timespec timeout{static_cast<std::time_t>(seconds.count()),
                               static_cast<long>(std::chrono::nanoseconds(slice - seconds).count())};
        ::gai_suspend(list, 1, &timeout);
        const int error = ::gai_error(&request_->block);
        if (error == EAI_INPROGRESS) return kPending;
        if (error == 0 && addresses_.empty()) addresses_ = Sockets::copyAddresses(request_->block.ar_result);
        return addresses_.empty() ? kFailed : kResolved;
    }

    const std::vector<Sockets::Address>& addresses() const override { return addresses_; }

private:
    // Everything the C library reads or writes while it resolves, in one block.
    struct Request {
        std::string host;
        std::string service;
        addrinfo hints{};
        gaicb block{};
    };
    std::unique_ptr<Request> request_;
    bool started_ = false;
    std::vector<Sockets::Address> addresses_;
};

} // namespace

std::unique_ptr<INameLookup> startSystemNameLookup(const std::string& host, int port) {
    return std::make_unique<SystemNameLookup>(host, port);
}

} // namespace Pellu
