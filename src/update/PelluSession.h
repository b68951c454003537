// The online service: per product, a throttled check for a newer version, the download of its
// installer to the desktop, and a check for news. Nothing goes over the network unless a server is
// configured ("UpdateServer" in the product's settings).
#pragma once

#include "core/MessageBox.h"
#include "core/Threads.h"
#include "update/CSimpleHTTPDownloader.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Pellu {

class CService;

/** Where the service sends its requests. */
struct ServerConfig {
    std::string host;
    int port = 80;
    std::string credential; ///< "user:password" for Basic authorization of the update check; empty: none
    bool configured() const { return !host.empty(); }
};

/** "UpdateServer", "UpdatePort" (default 80) and "UpdateCredential" under a settings key; never written. */
ServerConfig readServerConfig(const std::string& settingsKey);

/** The editor's view of the update check (the update notifier), called on the GUI thread from drive(). */
class IPelluSessionListener {
public:
    virtual ~IPelluSessionListener() = default;
    /** True when a found update is shown as the small "Update available" icon instead of a question. */
    virtual bool showsUpdateAsIcon() { return false; }
    virtual void showUpdateIcon() {}
    /** Asks whether to download the update; `answer(true)` for Yes, possibly later. */
    virtual void askToDownload(const Core::MessageBoxRequest& question, std::function<void(bool)> answer) = 0;
};

/** Millisecond and wall clocks of the service; tests give their own. */
struct ServiceClock {
    std::function<std::uint64_t()> milliseconds;
    std::function<std::uint64_t()> seconds; ///< seconds since 1970
    static ServiceClock system();
};

class CSession {
public:
    enum State : int { kIdle = -1, kStart = 0, kCheckDue = 1, kUpdateFound = 2, kBusy = 3 };
    /** A check runs when the last one is more than this long ago (22 hours). */
    static constexpr std::uint64_t kCheckIntervalSeconds = 79200;
    /** drive() does nothing until this long after its first call, so opening the editor stays quick. */
    static constexpr std::uint64_t kStartDelayMilliseconds = 1000;

    CSession(CService& service, std::string productKey, std::string productKeyLower, std::int32_t version);
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    const std::string& productKey() const { return productKey_; }
    /** The version as "major.minor.patch". */
    std::string versionText() const;
    /** The plug-in format named in the check request. */
    void setInterfaceText(std::string text) { interfaceText_ = std::move(text); }
    /** The key of the product's settings ("LastUpdateCheck", the server). */
    std::string settingsKey() const;
    std::string checkPath() const;
    std::string newsPath() const;
    /** The file that keeps the product page between runs. */
    std::string cachePath() const;

    int state() const { return state_.load(); }
    /** Runs the update check's next step; only the session that drives first in the process ever does. */
    void drive(IPelluSessionListener& view);
    /**
     * The answer to the download question: No stores the time so the question rests; Yes downloads, and
     * only a download that arrived stores it, so after a failed one the next check asks again.
     */
    void answerUpdate(bool download);
    /** The question put when an update is found. */
    Core::MessageBoxRequest downloadQuestion() const;

    bool downloading() const { return downloading_.load(); }
    /** Bytes so far over the announced size; 0 while nothing is known. */
    double downloadProgress() const;
    /** Once per finished download: true, and the stored file's path (empty when it failed). */
    bool takeDownloadResult(std::string& path);

    std::string productPage() const;
    std::vector<std::uint64_t> news() const;

private:
    friend class CService;
    void readCache();
    void startNewsCheck();
    void startCheck();
    void runCheck();
    void runNews();
    void runDownload(std::string url);
    void storeLastCheck();
    bool lastCheckIsOld();
    CSimpleHTTPDownloader downloader() const;

    CService& service_;
    const std::string productKey_;
    const std::string productKeyLower_;
    const std::int32_t version_;
    std::string interfaceText_ = "VST2";
    std::atomic<int> state_{kStart};
    std::optional<std::uint64_t> firstDrive_;

    mutable std::mutex mutex_; // guards the texts and lists the threads fill in
    std::string productPage_;
    std::string downloadUrl_;
    std::vector<std::uint64_t> news_;
    std::string downloadedPath_;
    Core::Threads::ThreadEvent downloadFinished_; // the download thread's hand-over to the GUI thread
    std::atomic<bool> downloading_{false};
    std::atomic<std::uint64_t> received_{0};
    std::atomic<std::uint64_t> total_{0};
};

/**
 * The service of one process: the sessions (one per product), the mark of the session that drives the
 * update check, the once-per-process news check, and the background threads.
 */
class CService {
public:
    explicit CService(ServiceClock clock = ServiceClock::system());
    /** Stops and joins every thread before the sessions go. */
    ~CService();
    CService(const CService&) = delete;
    CService& operator=(const CService&) = delete;

    /**
     * The product's session, made on first registration (which reads the cache and starts the news
     * check). Every effect instance registers once and releases once when it goes.
     */
    CSession& registerProduct(const char* productKey, const char* productKeyLower, std::int32_t version);
    /** One instance fewer; when none is left, stopThreads(), so nothing runs once the host may unload us. */
    void releaseProduct();
    CSession* findSession(const std::string& productKey);

    const ServiceClock& clock() const { return clock_; }
    void setTimeouts(HttpTimeouts timeouts) { timeouts_ = timeouts; }
    HttpTimeouts timeouts() const { return timeouts_; }
    /** The resolver of the service's requests; the system's unless a test gives another. */
    void setNameLookup(NameLookupStarter starter) { lookup_ = std::move(starter); }

    /** Threads of the service now running. */
    int runningThreads() const;
    /** Waits until no thread runs; answers whether that happened within the timeout. */
    bool waitUntilIdle(std::chrono::milliseconds timeout);
    /** Cancels the requests in flight and waits until every thread has ended. */
    void stopThreads();

private:
    friend class CSession;
    bool claimDriver(const CSession* session);
    bool claimNewsCheck();
    bool startThread(std::function<void()> routine);
    const std::atomic<bool>& cancelFlag() const;

    struct Internals;
    ServiceClock clock_;
    HttpTimeouts timeouts_;
    NameLookupStarter lookup_ = startSystemNameLookup;
    std::unique_ptr<Internals> internals_;
};

/** The process's own service, living until the library is unloaded. */
CService& service();

/** Registers a product with the process's service (the effect factory calls it for every instance). */
CSession& registerProduct(const char* productKey, const char* productKeyLower, std::int32_t version);
/** The matching release, when an effect instance is destroyed. */
void releaseProduct();

} // namespace Pellu
