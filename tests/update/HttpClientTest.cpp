// The HTTP client against a server of the test's own on 127.0.0.1, and the texts it sends and reads.
#include "update/BlackHoleLookup.h"
#include "update/CSimpleHTTPDownloader.h"
#include "update/HttpMessage.h"
#include "update/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>

using KavrenTest::LoopbackServer;
using namespace std::chrono_literals;

namespace {

// Only a server that is meant to stay silent is given up quickly; the others have time to answer under load.
Pellu::CSimpleHTTPDownloader downloader(std::chrono::milliseconds silence = 5s) {
    Pellu::CSimpleHTTPDownloader client;
    client.setTimeouts({5s, silence});
    return client;
}

} // namespace

TEST(HttpClient, RepliesReadWithinTheirLimits) {
    const std::string big(Pellu::kMaxTextReplyBytes + 1, 'x');
    struct Case {
        const char* name;
        std::optional<std::string> reply;
        int status;
        std::string body;
    } cases[] = {
        {"with length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloIGNORED", Pellu::kHttpComplete,
         "hello"},
        {"bare line ends", "HTTP/1.0 200 OK\ncontent-length:3\n\nabc", Pellu::kHttpComplete, "abc"},
        {"to the end", "HTTP/1.1 200 OK\r\n\r\nuntil closed", Pellu::kHttpComplete, "until closed"},
        {"empty body", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", Pellu::kHttpComplete, ""},
        {"truncated", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Pellu::kHttpTruncated, ""},
        {"announced too large", "HTTP/1.1 200 OK\r\nContent-Length: 65537\r\n\r\nabc", Pellu::kHttpTooLarge,
         ""},
        {"sent too large", "HTTP/1.1 200 OK\r\n\r\n" + big, Pellu::kHttpTooLarge, ""},
        {"header too long", "HTTP/1.1 200 OK\r\nX: " + std::string(520, 'h') + "\r\n\r\nabc",
         Pellu::kHttpBadReply, ""},
        {"not HTTP", "SSH-2.0-server\r\n\r\n", Pellu::kHttpBadReply, ""},
        {"no header end", "HTTP/1.1 200 OK\r\n", Pellu::kHttpBadReply, ""},
        {"bad length", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\nabc", Pellu::kHttpBadReply, ""},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         Pellu::kHttpBadReply, ""},
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", Pellu::kHttpRefused, ""},
        {"never answers", std::nullopt, Pellu::kHttpTimedOut, ""},
    };
    for (const Case& c : cases) {
        LoopbackServer server([&](const std::string&) { return c.reply; });
        std::string body = "untouched";
        EXPECT_EQ(downloader(c.reply ? 5s : 200ms).get("127.0.0.1", server.port(), "x", false, body),
                  c.status)
            << c.name;
        EXPECT_EQ(body, c.status == Pellu::kHttpComplete ? c.body : "untouched") << c.name;
    }
}

TEST(HttpClient, RequestTextAndConnectionFailures) {
    LoopbackServer server([](const std::string&) { return LoopbackServer::reply("ok"); });
    auto authorized = downloader();
    authorized.setCredential("user:pass");
    std::string body;
    ASSERT_EQ(authorized.get("127.0.0.1", server.port(), "news check.php?A=two words", true, body),
              Pellu::kHttpComplete);
    ASSERT_EQ(authorized.get("localhost", server.port(), "plain", false, body), Pellu::kHttpComplete);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "GET /news%20check.php?A=two%20words HTTP/1.1\nHost: 127.0.0.1\n"
                           "Authorization: Basic dXNlcjpwYXNz\nConnection: close\n\n");
    EXPECT_EQ(requests[1], "GET /plain HTTP/1.1\nHost: localhost\nConnection: close\n\n");

    int closedPort = 0;
    {
        LoopbackServer gone([](const std::string&) { return std::string(); });
        closedPort = gone.port();
    }
    EXPECT_EQ(downloader().get("127.0.0.1", closedPort, "x", false, body), Pellu::kHttpNoConnection);
    EXPECT_EQ(downloader().get("", 80, "x", false, body), Pellu::kHttpNoConnection);
}

TEST(HttpClient, CancelEndsAWaitingRequest) {
    LoopbackServer silent([](const std::string&) { return std::nullopt; });
    std::atomic<bool> cancel{false};
    Pellu::CSimpleHTTPDownloader client(&cancel);
    client.setTimeouts({60s, 60s});
    std::string body;
    std::thread canceller([&] {
        while (silent.requests().empty()) std::this_thread::yield();
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.get("127.0.0.1", silent.port(), "x", false, body), Pellu::kHttpCancelled);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(client.get("127.0.0.1", silent.port(), "x", false, body), Pellu::kHttpCancelled)
        << "checked first";
}

TEST(HttpClient, EveryRequestEndsByItsDeadline) {
    const std::string endless = "HTTP/1.1 200 OK\r\n\r\n" + std::string(40, 'x');
    LoopbackServer trickling([&](const std::string&) { return endless; }, 150);
    LoopbackServer silent([](const std::string&) { return std::nullopt; });
    KavrenTest::BlackHoleLookups blackHole;
    struct Case {
        const char* name;
        int port;
        bool resolverAnswers;
    } cases[] = {{"a byte every 150 ms", trickling.port(), true},
                 {"a server that never answers", silent.port(), true},
                 {"a resolver that never answers", silent.port(), false}};
    for (const Case& c : cases) {
        Pellu::CSimpleHTTPDownloader client;
        client.setTimeouts({5s, 5s, 400ms, 400ms});
        if (!c.resolverAnswers) client.setNameLookup(blackHole.starter());
        std::string body;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.get("localhost", c.port, "x", false, body), Pellu::kHttpTimedOut) << c.name;
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, 400ms) << c.name;
        EXPECT_LT(took, 2s) << c.name;
    }
    EXPECT_EQ(blackHole.abandoned.load(), 1) << "the request walks away from the resolver";
}

TEST(HttpMessage, AddressesAndEncodings) {
    EXPECT_EQ(Pellu::base64(""), "");
    EXPECT_EQ(Pellu::base64("f"), "Zg==");
    EXPECT_EQ(Pellu::base64("fo"), "Zm8=");
    EXPECT_EQ(Pellu::base64("foo"), "Zm9v");
    EXPECT_EQ(Pellu::base64("\xff\xfe"), "//4=");

    const auto url = Pellu::parseHttpUrl("http://dl.example.com:8080/files/a b.exe?x=1");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host, "dl.example.com");
    EXPECT_EQ(url->port, 8080);
    EXPECT_EQ(url->path, "files/a b.exe?x=1");
    EXPECT_EQ(Pellu::parseHttpUrl("HTTP://host")->path, "");
    EXPECT_EQ(Pellu::parseHttpUrl("http://host")->port, 80);
    for (const char* bad : {"https://host/x", "ftp://host", "http://", "http://:80/x", "http://host:0/",
                            "http://host:65536/", "http://user@host/", "http://host/a\tb", "http://ho st/",
                            "http://host/caf\xC3\xA9.exe", "http://h\xE4st/x"})
        EXPECT_FALSE(Pellu::parseHttpUrl(bad)) << bad;
}
