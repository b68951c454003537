// The update and news service end to end against a server of the test's own on 127.0.0.1, with the
// settings, data and desktop folders in a temporary home and the clocks in the test's hand.
#include "core/Settings.h"
#include "update/BlackHoleLookup.h"
#include "update/CUpdateNotifier.h"
#include "update/LoopbackServer.h"
#include "utilities/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using KavrenTest::LoopbackServer;
using KavrenTest::ScopedEnvironment;
using KavrenTest::TempFolder;
using Pellu::CUpdateNotifier;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t kNow = 1800000000; // seconds since 1970
constexpr std::uint64_t kHour = 3600;

class AnsweringPresenter : public Core::IMessagePresenter {
public:
    explicit AnsweringPresenter(int button) : button_(button) {}
    void show(const Core::MessageBoxRequest& request, std::function<void(int)> answer) override {
        shown.push_back(request);
        answer(button_);
    }
    std::vector<Core::MessageBoxRequest> shown;

private:
    int button_;
};

class UpdateService : public ::testing::Test {
protected:
    /** A service as a new process would have it, `hoursLater` after kNow. */
    std::unique_ptr<Pellu::CService> startService(std::uint64_t hoursLater = 0) {
        auto service = std::make_unique<Pellu::CService>(Pellu::ServiceClock{
            [this] { return milliseconds; }, [hoursLater] { return kNow + hoursLater * kHour; }});
        service->setTimeouts({5s, 5s});
        return service;
    }

    void configureServer(int port) {
        KavrenTest::writeTextFile(settingsFile,
                                  "UpdateServer=127.0.0.1\nUpdatePort=" + std::to_string(port) + "\n");
    }

    std::string setting(const char* name) {
        std::string value;
        Core::readSetting(Core::settingsKey(Core::kCompanyKey, "KavrenXL"), name, value, nullptr);
        return value;
    }

    /** Ticks the notifier as the editor's timer would, letting each started request finish. */
    void tick(CUpdateNotifier& notifier, Pellu::CService& service, int times = 1) {
        for (int i = 0; i < times; ++i) {
            notifier.tick();
            ASSERT_TRUE(service.waitUntilIdle(5s));
            milliseconds += 600;
        }
    }

    TempFolder home;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", home / "config"};
    ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", home / "etc"};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", home / "data"};
    ScopedEnvironment homeFolder{"HOME", home.path()};
    const std::string settingsFile = home / "config/Quillmark/kavrenxl/settings.ini";
    const std::string desktop = home / "Desktop";
    std::uint64_t milliseconds = 5000;
};

std::optional<std::string> serve(const std::string& request, const std::string& updateReply,
                                 const std::string& installer = "") {
    if (request.rfind("GET /update_available.php", 0) == 0) return LoopbackServer::reply(updateReply);
    if (request.rfind("GET /checkNews.php", 0) == 0)
        return LoopbackServer::reply("12, 0, 34;x99999999999999999999999 7");
    return LoopbackServer::reply(installer);
}

} // namespace

TEST_F(UpdateService, WithoutAServerNothingIsEverSent) {
    const std::uint64_t before = Pellu::CSimpleHTTPDownloader::networkAttempts();
    auto service = startService();
    Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
    AnsweringPresenter presenter(0);
    CUpdateNotifier notifier(session, false, &presenter);
    tick(notifier, *service, 10);

    EXPECT_EQ(session.state(), Pellu::CSession::kIdle);
    EXPECT_EQ(Pellu::CSimpleHTTPDownloader::networkAttempts(), before)
        << "no name resolved, no socket opened";
    EXPECT_EQ(service->runningThreads(), 0);
    EXPECT_FALSE(KavrenTest::readTextFile(settingsFile).size()) << "the settings stay as they were";
    EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(UpdateService, UpdateAskedDownloadedToTheDesktopAndNewsRead) {
    std::string installer(200000, 'i');
    installer[7] = '\n';
    int port = 0;
    LoopbackServer server([&](const std::string& request) {
        return serve(request,
                     "VERSION 1.3.0\nUPDATE http://127.0.0.1:" + std::to_string(port) +
                         "/files/Kavren%20XL%20Setup.exe\nPRODUCT_PAGE=https://example.invalid/kavren\n",
                     installer);
    });
    port = server.port();
    configureServer(port);
    KavrenTest::writeTextFile(desktop + "/Kavren XL Setup.exe", "someone else's file");

    auto service = startService();
    Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
    EXPECT_EQ(&service->registerProduct("KavrenXL", "kavrenXL", 66056), &session)
        << "one session per product";
    session.setInterfaceText("VST 2");
    AnsweringPresenter yes(0);
    CUpdateNotifier notifier(session, false, &yes);
    tick(notifier, *service, 6);

    ASSERT_EQ(notifier.phase(), CUpdateNotifier::Phase::kFinished);
    EXPECT_EQ(notifier.messageBox().caption, "Download finished");
    EXPECT_EQ(notifier.messageBox().text,
              "Close your host-DAW and run the\ninstaller file that is located on your desktop");
    EXPECT_EQ(notifier.messageBox().buttons, "OK");
    EXPECT_EQ(notifier.downloadedFile(), desktop + "/Kavren XL Setup (2).exe") << "an existing file is kept";
    EXPECT_EQ(KavrenTest::readTextFile(notifier.downloadedFile()), installer);
    EXPECT_EQ(KavrenTest::readTextFile(desktop + "/Kavren XL Setup.exe"), "someone else's file");
    struct stat info {};
    ASSERT_EQ(stat(notifier.downloadedFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0111, 0u) << "never executable";
    EXPECT_DOUBLE_EQ(notifier.progress(), 1.0);
    EXPECT_EQ(setting("LastUpdateCheck"), std::to_string(kNow)) << "stored once the installer arrived";
    notifier.finishedAcknowledged();
    EXPECT_EQ(notifier.phase(), CUpdateNotifier::Phase::kNothing);

    ASSERT_EQ(yes.shown.size(), 1u);
    EXPECT_EQ(yes.shown[0].caption, "Update Available");
    EXPECT_EQ(yes.shown[0].text,
              "A update for KavrenXL is available, should it be downloaded to your desktop?");
    EXPECT_EQ(yes.shown[0].buttons, "Yes|No");

    const auto lines = server.requestLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "GET /checkNews.php?PLATFORM=&INTERFACE=&PRODUCT=kavrenXL&VERSION=&SERIAL=0 HTTP/1.1");
    EXPECT_EQ(lines[1],
              "GET /update_available.php?WEB_ID=kavrenXL&VERSION=1.2.8&INTERFACE=VST%202&PLATFORM=LINUX_64 "
              "HTTP/1.1");
    EXPECT_EQ(lines[2], "GET /files/Kavren%20XL%20Setup.exe HTTP/1.1");
    EXPECT_EQ(session.news(), (std::vector<std::uint64_t>{12, 34, 7}));
    EXPECT_EQ(session.productPage(), "https://example.invalid/kavren");
    EXPECT_EQ(KavrenTest::readTextFile(session.cachePath()), "PRODUCT_PAGE=https://example.invalid/kavren\n");
    EXPECT_EQ(session.cachePath(), home / "data/Quillmark/kavrenXL_update0.cache");

    // The next process knows the product page from the cache before asking anything.
    auto next = startService();
    EXPECT_EQ(next->registerProduct("KavrenXL", "kavrenXL", 66056).productPage(),
              "https://example.invalid/kavren");
}

TEST_F(UpdateService, TheIconAndTheTwentyTwoHourRule) {
    std::string reply = "UPDATE http://127.0.0.1:1/Setup.exe\n";
    LoopbackServer server([&](const std::string& request) { return serve(request, reply); });
    configureServer(server.port());
    auto countChecks = [&] {
        int checks = 0;
        for (const std::string& line : server.requestLines())
            checks += line.find("update_available") != std::string::npos;
        return checks;
    };

    // The icon, its question, and Cancel: the time is stored and nothing is downloaded.
    {
        auto service = startService();
        Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
        CUpdateNotifier notifier(session, true, nullptr);
        tick(notifier, *service, 5);
        ASSERT_EQ(notifier.phase(), CUpdateNotifier::Phase::kIcon);
        EXPECT_STREQ(CUpdateNotifier::kIconText, "Update\navailable");
        notifier.iconClicked();
        ASSERT_EQ(notifier.phase(), CUpdateNotifier::Phase::kQuestion);
        EXPECT_EQ(notifier.messageBox().caption, "New version available");
        EXPECT_EQ(notifier.messageBox().text, "Do you want to download the installer file to your Desktop?");
        EXPECT_EQ(notifier.messageBox().buttons, "OK|Cancel");
        notifier.answerQuestion(false);
        tick(notifier, *service, 3);
        EXPECT_EQ(notifier.phase(), CUpdateNotifier::Phase::kNothing);
        EXPECT_FALSE(session.downloading());
        EXPECT_EQ(setting("LastUpdateCheck"), std::to_string(kNow));
    }
    EXPECT_EQ(countChecks(), 1);

    // "No" to the question of the next process 23 hours later stores that time as well.
    {
        auto service = startService(23);
        AnsweringPresenter no(1);
        CUpdateNotifier notifier(service->registerProduct("KavrenXL", "kavrenXL", 66056), false, &no);
        tick(notifier, *service, 5);
        EXPECT_EQ(no.shown.size(), 1u);
        EXPECT_EQ(setting("LastUpdateCheck"), std::to_string(kNow + 23 * kHour));
    }
    EXPECT_EQ(countChecks(), 2);

    // Within 22 hours of that no check is sent; after them one is, and a reply without UPDATE asks nothing
    // and stores the time. A drive in the first second after the editor opened does nothing.
    reply = "NO_UPDATE\nPRODUCT_PAGE=http://example.invalid/\n";
    for (const auto& [hours, checks] : {std::pair{23 + 21, 2}, std::pair{23 + 23, 3}}) {
        auto service = startService(hours);
        AnsweringPresenter presenter(0);
        Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
        CUpdateNotifier notifier(session, false, &presenter);
        notifier.tick();
        milliseconds += 1000;
        notifier.tick();
        EXPECT_EQ(session.state(), Pellu::CSession::kStart) << "not before a second has passed";
        tick(notifier, *service, 5);
        EXPECT_EQ(countChecks(), checks) << hours;
        EXPECT_TRUE(presenter.shown.empty());
        EXPECT_EQ(session.state(), Pellu::CSession::kIdle);
    }
    EXPECT_EQ(setting("LastUpdateCheck"), std::to_string(kNow + 46 * kHour));
}

TEST_F(UpdateService, FailedChecksAskNothingAndAreRetriedByTheNextProcess) {
    for (const std::optional<std::string>& reply : std::vector<std::optional<std::string>>{
             std::nullopt,
             std::string("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nUPDATE http://127.0.0.1/x"),
             std::string("garbage\r\n\r\nUPDATE http://127.0.0.1/x"),
             "HTTP/1.1 200 OK\r\n\r\nUPDATE http://127.0.0.1/x\n" + std::string(70000, ' ')}) {
        LoopbackServer server([&](const std::string&) { return reply; });
        configureServer(server.port());
        auto service = startService();
        if (!reply) service->setTimeouts({5s, 200ms});
        AnsweringPresenter presenter(0);
        Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
        CUpdateNotifier notifier(session, false, &presenter);
        tick(notifier, *service, 4);
        EXPECT_TRUE(presenter.shown.empty());
        EXPECT_EQ(session.state(), Pellu::CSession::kIdle);
        EXPECT_EQ(setting("LastUpdateCheck"), "0");
    }
}

TEST_F(UpdateService, AFailedDownloadIsReportedAndAskedAboutAgain) {
    int port = 0;
    LoopbackServer server([&](const std::string& request) -> std::optional<std::string> {
        if (request.rfind("GET /Setup.exe", 0) == 0)
            return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        return serve(request, "UPDATE http://127.0.0.1:" + std::to_string(port) + "/Setup.exe\n");
    });
    port = server.port();
    configureServer(port);
    for (int process = 0; process < 2; ++process) {
        auto service = startService(process);
        AnsweringPresenter yes(0);
        CUpdateNotifier notifier(service->registerProduct("KavrenXL", "kavrenXL", 66056), false, &yes);
        tick(notifier, *service, 6);
        EXPECT_EQ(yes.shown.size(), 1u) << "process " << process;
        ASSERT_EQ(notifier.phase(), CUpdateNotifier::Phase::kFailed);
        EXPECT_EQ(notifier.messageBox().caption, "Download failed");
        EXPECT_EQ(notifier.messageBox().buttons, "OK");
        notifier.finishedAcknowledged();
        EXPECT_EQ(notifier.phase(), CUpdateNotifier::Phase::kNothing);
        EXPECT_EQ(setting("LastUpdateCheck"), "0") << "the next check asks again";
    }
}

TEST_F(UpdateService, TheLastInstanceGoneNothingRunsWithinATenthOfASecond) {
    LoopbackServer silent([](const std::string&) { return std::nullopt; });
    KavrenTest::BlackHoleLookups blackHole;
    configureServer(silent.port());
    for (const bool resolverAnswers : {true, false}) {
        auto service = startService();
        service->setTimeouts({60s, 60s, 60s, 60s});
        if (!resolverAnswers) service->setNameLookup(blackHole.starter());
        Pellu::CSession& session = service->registerProduct("KavrenXL", "kavrenXL", 66056);
        service->registerProduct("KavrenXL", "kavrenXL", 66056);
        CUpdateNotifier notifier(session, false, nullptr);
        for (int i = 0; i < 4; ++i, milliseconds += 600) notifier.tick();
        // News and check both waiting, for the server or for the resolver.
        while ((resolverAnswers ? int(silent.requests().size()) : blackHole.started.load()) < 2)
            std::this_thread::yield();

        service->releaseProduct();
        EXPECT_EQ(service->runningThreads(), 2) << "one instance is still there";
        const auto start = std::chrono::steady_clock::now();
        service->releaseProduct();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms) << resolverAnswers;
        EXPECT_EQ(service->runningThreads(), 0);
    }
    EXPECT_EQ(blackHole.abandoned.load(), 2);
}
