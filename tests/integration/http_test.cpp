// The server's answers over real loopback sockets, byte for byte.
#include "server/request.h"
#include "server/site.h"
#include "support/loopback.h"
#include "support/wire.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::read_until_closed;
using test::send_text;

using test::wire::FORBIDDEN;
using test::wire::no_content;
using test::wire::preflight;
using test::wire::RUNNING;

std::string head(std::string_view method, std::string_view path, std::optional<std::string_view> origin) {
    std::string text = std::string(method) + " " + std::string(path) + " HTTP/1.1\r\nHost: 127.0.0.1:47321\r\n";
    if (origin) text += "Origin: " + std::string(*origin) + "\r\n";
    return text + "\r\n";
}

TEST(Routes, RunningAnswerOnlyForOtherClientsOnRoot) {
    LoopbackServer server;
    const struct {
        std::string head;
        std::string answer;
    } cases[] = {
        {head("GET", "/", std::nullopt), RUNNING},
        {head("GET", "/?cache=123", std::nullopt), RUNNING},
        {head("GET", "/", "https://evil.example"), RUNNING},
        {head("GET", "/", "null"), RUNNING},
        {head("GET", "/", "http://localhost:3000/"), RUNNING},
        {head("get", "/", std::nullopt), FORBIDDEN},
        {head("GET", "/events", std::nullopt), FORBIDDEN},
        {head("GET", "/events", "http://localhost:3001"), FORBIDDEN},
        {head("GET", "/events", "HTTP://LOCALHOST:3000"), FORBIDDEN},
        {head("GET", "/events", ""), FORBIDDEN},
        {head("OPTIONS", "/events", std::nullopt), FORBIDDEN},
        {head("POST", "/uninstall", "https://zendry.gg.evil.example"), FORBIDDEN},
        {head("DELETE", "/x", std::nullopt), FORBIDDEN},
        {"GET  / HTTP/1.1\r\n\r\n", FORBIDDEN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(read_until_closed(server.request(c.head)), c.answer);
    }
    server.join();
    EXPECT_FALSE(server.hub->uninstall_requested.load());
}

TEST(Routes, AllowedOriginsGetCrossOriginHeaders) {
    LoopbackServer server;
    for (std::string_view origin : ALLOWED_ORIGINS) {
        SCOPED_TRACE(origin);
        const std::string not_found = test::wire::not_found(origin);
        EXPECT_EQ(read_until_closed(server.request(head("GET", "/", origin))), not_found);
        EXPECT_EQ(read_until_closed(server.request(head("get", "/events", origin))), not_found);
        EXPECT_EQ(read_until_closed(server.request(head("GET", "/events/", origin))), not_found);
        EXPECT_EQ(read_until_closed(server.request(head("GET", "/Events", origin))), not_found);
        EXPECT_EQ(read_until_closed(server.request(head("GET", "/uninstall", origin))), not_found);
        EXPECT_EQ(read_until_closed(server.request(head("OPTIONS", "/anything?x", origin))), preflight(origin));
        EXPECT_EQ(read_until_closed(server.request(head("OPTIONS", "/events", origin))), preflight(origin));
    }
    server.join();
    EXPECT_FALSE(server.hub->uninstall_requested.load());
}

TEST(Routes, UninstallFromAllowedOriginRaisesTheFlag) {
    LoopbackServer server;
    EXPECT_EQ(read_until_closed(server.request(head("POST", "/uninstall", "http://localhost:3000"))),
              no_content("http://localhost:3000"));
    server.join();
    EXPECT_TRUE(server.hub->uninstall_requested.load());
    EXPECT_EQ(read_until_closed(server.request(head("POST", "/uninstall", "http://localhost:3000"))),
              no_content("http://localhost:3000"));
    server.join();
    EXPECT_TRUE(server.hub->uninstall_requested.load());
}

TEST(HeadReading, HeadInThreeWritesIsAnswered) {
    LoopbackServer server;
    auto client = server.connect();
    send_text(client, "OPTIONS /x HTTP/1.1\r\n");
    std::this_thread::sleep_for(50ms);
    send_text(client, "Origin: https://zendry.gg\r\n");
    std::this_thread::sleep_for(50ms);
    send_text(client, "\r\n");
    EXPECT_EQ(read_until_closed(client), preflight("https://zendry.gg"));
}

TEST(HeadReading, SilentClientIsClosedAfterTheTimeOutWithoutAnswer) {
    LoopbackServer server;
    auto client = server.connect();
    Instant start = Clock::now();
    EXPECT_EQ(read_until_closed(client), "");
    EXPECT_GE(Clock::now() - start, 1500ms);  // a lower bound only: the server waited for the head
}

TEST(HeadReading, BareLineFeedsNeverCompleteTheHead) {
    LoopbackServer server;
    auto client = server.request("GET / HTTP/1.1\n\n");
    EXPECT_EQ(read_until_closed(client), "");  // closed at the read time-out, unanswered
}

TEST(HeadReading, PeerClosingMidHeadGetsNoAnswer) {
    LoopbackServer server;
    { auto client = server.request("GET / HTTP/1.1\r\nOrig"); }
    server.join();  // the connection thread ends
    auto client = server.request("GET / HTTP/1.1\r\n");
    shutdown_both(client);
    server.join();
    EXPECT_EQ(read_until_closed(client, 200ms), "");
}

TEST(HeadReading, HeadAtTheLimitWithoutBlankLineIsParsedAsItIs) {
    LoopbackServer server;
    std::string text = "GET / HTTP/1.1\r\nX-Filler: ";
    text.append(HEAD_LIMIT - text.size(), 'a');
    EXPECT_EQ(read_until_closed(server.request(text)), RUNNING);
}

// Each byte arrives well within the per-read time-out, so only the deadline
// for the whole head can end this client before its 8192 bytes.
TEST(HeadReading, DrippingClientIsClosedAtTheHeadDeadline) {
    LoopbackServer server;
    auto client = server.connect();
    std::atomic<bool> ended{false};
    std::thread drip([&] {
        for (int i = 0; i < 40 && !ended; ++i) {
            send_text(client, "G");
            std::this_thread::sleep_for(250ms);
        }
    });
    EXPECT_TRUE(test::stream_ends(client, 10s));  // before the drip is over, without an answer
    ended = true;
    drip.join();
}

// Closing with bytes unread resets the connection, and a Windows client then
// drops whatever of the answer it has not read yet: the end must be orderly.
TEST(HeadReading, AnswerToARequestWithAnUnreadBodyEndsInOrder) {
    LoopbackServer server;
    std::string oversize = "GET / HTTP/1.1\r\nX: ";
    oversize.append(HEAD_LIMIT + 20000, 'a');
    const struct {
        std::string request;
        std::string answer;
    } cases[] = {
        {"POST / HTTP/1.1\r\nContent-Length: 60000\r\n\r\n" + std::string(60000, 'b'), FORBIDDEN},
        {oversize, RUNNING},
    };
    for (const auto& c : cases) {
        Socket client = server.request(c.request);
        EXPECT_EQ(test::read_exactly(client, c.answer.size()), c.answer);
        EXPECT_TRUE(test::stream_ends(client)) << "reset instead of an orderly end";
    }
}

TEST(HeadReading, SlowClientDoesNotHoldUpAnother) {
    LoopbackServer server;
    auto slow = server.request("GET / HT");
    EXPECT_EQ(read_until_closed(server.request(head("GET", "/", std::nullopt))), RUNNING);
    send_text(slow, "TP/1.1\r\n\r\n");
    EXPECT_EQ(read_until_closed(slow), RUNNING);
}

}  // namespace
}  // namespace vantrel
