#include "update/PelluSession.h"

#include "core/CriticalSection.h"
#include "core/FileSystem.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/SpecialFolders.h"
#include "update/HttpMessage.h"
#include "update/InstallerFile.h"
#include "update/ServiceReplies.h"
#include "update/ServiceThreads.h"

#include <chrono>
#include <cstdlib>
#include <list>
#include <memory>

namespace Pellu {
namespace {

constexpr const char* kPlatform = "LINUX_64";
constexpr const char* kCachePrefix = "PRODUCT_PAGE=";
constexpr std::size_t kMaxCacheBytes = 4096;

std::uint64_t parseSeconds(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    return end != text.c_str() ? value : 0;
}

} // namespace

ServerConfig readServerConfig(const std::string& settingsKey) {
    ServerConfig config;
    // No defaults: reading must not create values in the user's settings.
    std::string port;
    Core::readSetting(settingsKey, "UpdateServer", config.host, nullptr);
    if (Core::readSetting(settingsKey, "UpdatePort", port, nullptr)) {
        const std::uint64_t number = parseSeconds(port);
        config.port = number >= 1 && number <= 65535 ? static_cast<int>(number) : 0;
        if (config.port == 0) config.host.clear(); // a port that is no port: no server
    }
    Core::readSetting(settingsKey, "UpdateCredential", config.credential, nullptr);
    return config;
}

ServiceClock ServiceClock::system() {
    return {[] {
                return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                      std::chrono::steady_clock::now().time_since_epoch())
                                                      .count());
            },
            [] {
                return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                                      std::chrono::system_clock::now().time_since_epoch())
                                                      .count());
            }};
}

// ---------------------------------------------------------------------------------------------------------
// CSession

CSession::CSession(CService& service, std::string productKey, std::string productKeyLower,
                   std::int32_t version)
    : service_(service), productKey_(std::move(productKey)), productKeyLower_(std::move(productKeyLower)),
      version_(version) {}

std::string CSession::versionText() const {
    return std::to_string((version_ >> 16) & 0xFF) + "." + std::to_string((version_ >> 8) & 0xFF) + "." +
           std::to_string(version_ & 0xFF);
}

std::string CSession::settingsKey() const {
    return Core::settingsKey(Core::kCompanyKey, productKey_.c_str());
}

std::string CSession::checkPath() const {
    return "update_available.php?WEB_ID=" + productKeyLower_ + "&VERSION=" + versionText() +
           "&INTERFACE=" + interfaceText_ + "&PLATFORM=" + kPlatform;
}

std::string CSession::newsPath() const {
    return "checkNews.php?PLATFORM=&INTERFACE=&PRODUCT=" + productKeyLower_ + "&VERSION=&SERIAL=0";
}

std::string CSession::cachePath() const {
    const std::string folder = Core::specialFolderPath(Core::kFolderUserData, "Quillmark/");
    return folder.empty() ? std::string() : folder + productKeyLower_ + "_update0.cache";
}

Core::MessageBoxRequest CSession::downloadQuestion() const {
    return {"Update Available",
            "A update for " + productKey_ + " is available, should it be downloaded to your desktop?",
            "Yes|No"};
}

CSimpleHTTPDownloader CSession::downloader() const {
    CSimpleHTTPDownloader client(&service_.cancelFlag());
    client.setTimeouts(service_.timeouts());
    client.setNameLookup(service_.lookup_);
    return client;
}

void CSession::readCache() {
    std::string text;
    if (!Core::readFileBounded(cachePath(), kMaxCacheBytes, text)) return;
    // The cache holds a "PRODUCT_PAGE=" line as the check's reply does; only the page is taken from it.
    const std::string page = parseUpdateReply(text).productPage;
    std::lock_guard lock(mutex_);
    productPage_ = page;
}

void CSession::startNewsCheck() {
    if (!readServerConfig(settingsKey()).configured() || !service_.claimNewsCheck()) return;
    service_.startThread([this] { runNews(); });
}

void CSession::runNews() {
    const ServerConfig server = readServerConfig(settingsKey());
    std::string body;
    if (downloader().get(server.host, server.port, newsPath(), false, body) != kHttpComplete) return;
    std::vector<std::uint64_t> numbers = parseNewsReply(body);
    if (numbers.empty()) return;
    std::lock_guard lock(mutex_);
    news_ = std::move(numbers);
}

bool CSession::lastCheckIsOld() {
    std::string text;
    Core::readSetting(settingsKey(), "LastUpdateCheck", text, "0");
    const std::uint64_t last = parseSeconds(text);
    const std::uint64_t now = service_.clock().seconds();
    // A time in the future is as good as none.
    return last > now || now - last > kCheckIntervalSeconds;
}

void CSession::storeLastCheck() {
    Core::writeSetting(settingsKey(), "LastUpdateCheck", std::to_string(service_.clock().seconds()).c_str());
}

void CSession::drive(IPelluSessionListener& view) {
    if (!service_.claimDriver(this)) return;
    const std::uint64_t now = service_.clock().milliseconds();
    if (!firstDrive_) firstDrive_ = now;
    if (now - *firstDrive_ <= kStartDelayMilliseconds) return;

    switch (state_.load()) {
    case kStart:
        // The shipped default has no server: then nothing is read, written or sent, ever.
        state_ = readServerConfig(settingsKey()).configured() && lastCheckIsOld() ? kCheckDue : kIdle;
        break;
    case kCheckDue:
        state_ = kBusy;
        if (!service_.startThread([this] { runCheck(); })) state_ = kIdle;
        break;
    case kUpdateFound:
        state_ = kBusy;
        if (view.showsUpdateAsIcon()) {
            view.showUpdateIcon();
            break;
        }
        view.askToDownload(downloadQuestion(), [this](bool download) { answerUpdate(download); });
        break;
    default:
        break;
    }
}

void CSession::runCheck() {
    const ServerConfig server = readServerConfig(settingsKey());
    CSimpleHTTPDownloader client = downloader();
    client.setCredential(server.credential);
    std::string body;
    if (client.get(server.host, server.port, checkPath(), !server.credential.empty(), body) !=
        kHttpComplete) {
        state_ = kIdle; // no answer: the next process asks again
        return;
    }
    const UpdateReply reply = parseUpdateReply(body);
    if (!reply.productPage.empty()) {
        {
            std::lock_guard lock(mutex_);
            productPage_ = reply.productPage;
        }
        const std::string path = cachePath();
        const std::string cache = kCachePrefix + reply.productPage + "\n";
        if (!path.empty() && Core::createFolders(Core::folderPart(path)))
            Core::writeFileAtomically(path, cache.data(), cache.size());
    }
    if (reply.downloadUrl.empty()) {
        storeLastCheck(); // up to date: ask again in 22 hours
        state_ = kIdle;
        return;
    }
    {
        std::lock_guard lock(mutex_);
        downloadUrl_ = reply.downloadUrl;
    }
    state_ = kUpdateFound;
}

void CSession::answerUpdate(bool download) {
    state_ = kIdle;
    if (!download) {
        storeLastCheck(); // the question rests for 22 hours
        return;
    }
    if (downloading_.exchange(true)) return;
    std::string url;
    {
        std::lock_guard lock(mutex_);
        url = downloadUrl_;
        downloadedPath_.clear();
    }
    downloadFinished_.clear();
    received_ = 0;
    total_ = 0;
    if (!service_.startThread([this, url] { runDownload(url); })) {
        downloading_ = false;
        downloadFinished_.set();
    }
}

void CSession::runDownload(std::string url) {
    std::string stored;
    const std::optional<HttpUrl> address = parseHttpUrl(url);
    const std::string desktop = Core::specialFolderPath(Core::kFolderDesktop);
    if (address && !desktop.empty()) {
        InstallerFile file(desktop, sanitizedFileName(address->path, productKeyLower_ + "-installer"),
                           [this](std::uint64_t received, std::uint64_t total) {
                               received_ = received;
                               total_ = total;
                           });
        if (file.open() && downloader().get(address->host, address->port, address->path, false, file,
                                            kMaxDownloadBytes) == kHttpComplete)
            stored = file.commit();
    }
    if (!stored.empty()) storeLastCheck(); // the installer is on the desktop: the question rests
    {
        std::lock_guard lock(mutex_);
        downloadedPath_ = stored;
    }
    downloading_ = false;
    downloadFinished_.set();
}

double CSession::downloadProgress() const {
    const std::uint64_t total = total_.load();
    return total > 0 ? static_cast<double>(received_.load()) / static_cast<double>(total) : 0.0;
}

bool CSession::takeDownloadResult(std::string& path) {
    if (!downloadFinished_.isSet()) return false;
    downloadFinished_.clear();
    std::lock_guard lock(mutex_);
    path = downloadedPath_;
    return true;
}

std::string CSession::productPage() const {
    std::lock_guard lock(mutex_);
    return productPage_;
}

std::vector<std::uint64_t> CSession::news() const {
    std::lock_guard lock(mutex_);
    return news_;
}

// ---------------------------------------------------------------------------------------------------------
// CService

struct CService::Internals {
    std::mutex mutex;
    std::list<std::unique_ptr<CSession>> sessions;
    std::atomic<const CSession*> driver{nullptr};
    Core::CriticalSection newsGuard;
    bool newsStarted = false;
    int instances = 0;
    ServiceThreads threads;
};

CService::CService(ServiceClock clock)
    : clock_(std::move(clock)), internals_(std::make_unique<Internals>()) {}

CService::~CService() {
    stopThreads();
}

CSession& CService::registerProduct(const char* productKey, const char* productKeyLower,
                                    std::int32_t version) {
    CSession* session = nullptr;
    {
        std::lock_guard lock(internals_->mutex);
        ++internals_->instances;
        for (const auto& existing : internals_->sessions)
            if (existing->productKey() == productKey) return *existing;
        session = internals_->sessions
                      .emplace_back(std::make_unique<CSession>(*this, productKey, productKeyLower, version))
                      .get();
    }
    session->readCache();
    session->startNewsCheck();
    return *session;
}

void CService::releaseProduct() {
    {
        std::lock_guard lock(internals_->mutex);
        if (internals_->instances == 0 || --internals_->instances > 0) return;
    }
    stopThreads();
}

CSession* CService::findSession(const std::string& productKey) {
    std::lock_guard lock(internals_->mutex);
    for (const auto& session : internals_->sessions)
        if (session->productKey() == productKey) return session.get();
    return nullptr;
}

bool CService::claimDriver(const CSession* session) {
    const CSession* expected = nullptr;
    return internals_->driver.compare_exchange_strong(expected, session) || expected == session;
}

bool CService::claimNewsCheck() {
    std::lock_guard lock(internals_->newsGuard);
    if (internals_->newsStarted) return false;
    internals_->newsStarted = true;
    return true;
}

bool CService::startThread(std::function<void()> routine) {
    return internals_->threads.start(std::move(routine));
}

const std::atomic<bool>& CService::cancelFlag() const {
    return internals_->threads.cancelFlag();
}

int CService::runningThreads() const {
    return internals_->threads.running();
}

bool CService::waitUntilIdle(std::chrono::milliseconds timeout) {
    return internals_->threads.waitUntilIdle(timeout);
}

void CService::stopThreads() {
    internals_->threads.stopAll();
}

CService& service() {
    static CService processService;
    return processService;
}

CSession& registerProduct(const char* productKey, const char* productKeyLower, std::int32_t version) {
    return service().registerProduct(productKey, productKeyLower, version);
}

void releaseProduct() {
    service().releaseProduct();
}

} // namespace Pellu
