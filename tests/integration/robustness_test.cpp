// Hostile heads, load and faults against the real server core on loopback.
#include "server/poll_loop.h"
#include "server/request.h"
#include "support/loopback.h"
#include "support/scripted_input.h"
#include "support/wire.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::read_exactly;
using test::read_until_closed;
using test::send_text;

using test::wire::DEV;
using test::wire::FORBIDDEN;
using test::wire::not_found;
using test::wire::preflight;
using test::wire::RUNNING;
const std::string SILENT = "";  // closed without an answer
std::string padded(std::string head, char fill, std::size_t size) {
    head.append(size - head.size(), fill);
    return head;
}

std::string repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// A literal with NUL bytes inside, whole.
template <std::size_t N>
std::string with_nul(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct Hostile {
    const char* what;
    std::string head;
    std::string answer;
};

// Every case is sent at once on its own connection; the incomplete ones end
// together at the read time-out.
TEST(HostileHeads, EachGetsItsAnswerOrASilentClose) {
    const std::string x(6000, 'a');
    std::string many_headers = "OPTIONS / HTTP/1.1\r\n";
    for (int i = 0; i < 200; ++i) many_headers += "X-" + std::to_string(i) + ": y\r\n";
    many_headers += "Origin: " + DEV + "\r\n\r\n";
    const Hostile cases[] = {
        {"bare CR line ends", "GET / HTTP/1.1\r\r", SILENT},
        {"bare LF line ends", "GET / HTTP/1.1\n\n", SILENT},
        {"LF then CRLF CRLF", "GET / HTTP/1.1\n\r\n\r\n", RUNNING},
        {"CR LF CR without final LF", "GET / HTTP/1.1\r\n\r", SILENT},
        {"NUL in method", with_nul("G\0ET / HTTP/1.1\r\n\r\n"), FORBIDDEN},
        {"control byte before method", "\x01GET / HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"NUL in path", with_nul("GET /\0 HTTP/1.1\r\n\r\n"), FORBIDDEN},
        {"NUL in header name", with_nul("OPTIONS / HTTP/1.1\r\nOri\0gin: http://localhost:3000\r\n\r\n"), FORBIDDEN},
        {"NUL in origin value", with_nul("OPTIONS / HTTP/1.1\r\nOrigin: http://localhost:3000\0\r\n\r\n"), FORBIDDEN},
        {"tab instead of space", "GET\t/ HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"leading space", " GET / HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"missing path", "GET\r\n\r\n", SILENT},
        {"empty path", "GET \r\n\r\n", FORBIDDEN},
        {"empty head", "\r\n\r\n", SILENT},
        {"only line ends", repeat("\r\n", 2000), SILENT},
        {"absolute-form target", "GET http://127.0.0.1:47321/ HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"asterisk preflight", "OPTIONS * HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", preflight(DEV)},
        {"CONNECT", "CONNECT 127.0.0.1:47321 HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"HTTP/0.9 style", "GET /\r\n\r\n", RUNNING},
        {"extra request-line fields", "GET / HTTP/1.1 extra more\r\n\r\n", RUNNING},
        {"huge request line", "GET /" + x + " HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"huge header value", "GET / HTTP/1.1\r\nX: " + x + "\r\n\r\n", RUNNING},
        {"oversize head, no blank line", padded("GET / HTTP/1.1\r\nX: ", 'b', HEAD_LIMIT), RUNNING},
        {"oversize garbage without space", std::string(HEAD_LIMIT, 'z'), SILENT},
        {"oversize garbage with space", padded("X ", 'z', HEAD_LIMIT), FORBIDDEN},
        {"many header lines", many_headers, preflight(DEV)},
        {"Origin: null", "OPTIONS / HTTP/1.1\r\nOrigin: null\r\n\r\n", FORBIDDEN},
        {"allowed then foreign origin",
         "OPTIONS / HTTP/1.1\r\nOrigin: " + DEV + "\r\nOrigin: https://evil.example\r\n\r\n", preflight(DEV)},
        {"foreign then allowed origin",
         "OPTIONS / HTTP/1.1\r\nOrigin: https://evil.example\r\nOrigin: " + DEV + "\r\n\r\n", FORBIDDEN},
        {"origin list", "OPTIONS / HTTP/1.1\r\nOrigin: " + DEV + ", https://evil.example\r\n\r\n", FORBIDDEN},
        {"origin with trailing slash", "OPTIONS / HTTP/1.1\r\nOrigin: http://localhost:3000/\r\n\r\n", FORBIDDEN},
        {"origin in capitals", "OPTIONS / HTTP/1.1\r\nOrigin: HTTP://LOCALHOST:3000\r\n\r\n", FORBIDDEN},
        {"origin on another port", "OPTIONS / HTTP/1.1\r\nOrigin: http://localhost:30000\r\n\r\n", FORBIDDEN},
        {"origin name then space", "OPTIONS / HTTP/1.1\r\nOrigin : " + DEV + "\r\n\r\n", FORBIDDEN},
        {"origin without colon", "OPTIONS / HTTP/1.1\r\nOrigin " + DEV + "\r\n\r\n", FORBIDDEN},
        {"folded origin line", "OPTIONS / HTTP/1.1\r\nOrigin:\r\n " + DEV + "\r\n\r\n", FORBIDDEN},
        {"CR inside origin", "OPTIONS / HTTP/1.1\r\nOrigin: http://localhost:3000\rX\r\n\r\n", FORBIDDEN},
        {"CR at the end of origin is trimmed", "OPTIONS / HTTP/1.1\r\nOrigin: " + DEV + "\r\r\n\r\n", preflight(DEV)},
        {"no-break spaces around origin", "OPTIONS / HTTP/1.1\r\nOrigin:\xC2\xA0" + DEV + "\xC2\xA0\r\n\r\n",
         preflight(DEV)},
        {"invalid UTF-8 after origin", "OPTIONS / HTTP/1.1\r\nOrigin: " + DEV + "\xFF\r\n\r\n", FORBIDDEN},
        {"overlong slash in path", "GET \xC0\xAF HTTP/1.1\r\n\r\n", FORBIDDEN},
        {"dot segments", "GET /../events HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", not_found(DEV)},
        {"percent-encoded route", "GET /%65vents HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", not_found(DEV)},
        {"double slash", "GET //events HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", not_found(DEV)},
        {"route in capitals", "GET /EVENTS HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", not_found(DEV)},
        {"lower-case method", "post /uninstall HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n", not_found(DEV)},
        {"events without origin", "GET /events HTTP/1.1\r\nReferer: " + DEV + "/\r\n\r\n", FORBIDDEN},
        {"uninstall with a body from a foreign origin",
         "POST /uninstall HTTP/1.1\r\nOrigin: https://evil.example\r\nContent-Length: 4\r\n\r\nbody", FORBIDDEN},
        {"uninstall with the origin only in the body",
         "POST /uninstall HTTP/1.1\r\nContent-Length: 27\r\n\r\nOrigin: https://zendry.gg\r\n", FORBIDDEN},
    };
    LoopbackServer server;
    server.start_accepting();
    std::vector<Socket> clients;
    for (const Hostile& c : cases) {
        clients.push_back(server.connect_client());
        send_text(clients.back(), c.head);
    }
    for (std::size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(read_until_closed(clients[i]), cases[i].answer);
    }
    EXPECT_FALSE(server.hub->uninstall_requested.load());
    EXPECT_EQ(subscriber_count(*server.hub), 0u);
}

TEST(Load, ClientsUpToTheCapAtOnceEachGetTheirAnswer) {
    std::optional<int> descriptors = test::open_descriptors();
    std::optional<int> threads = test::thread_count();
    {
        LoopbackServer server;
        server.start_accepting();
        // Each sends at once (the server gives a silent client 2 s), and none
        // reads its answer until all are connected.
        std::vector<Socket> clients;
        for (std::size_t i = 0; i < MAX_CONNECTIONS; ++i) {
            clients.push_back(server.connect_client());
            send_text(clients[i],
                      i % 2 ? "GET / HTTP/1.1\r\n\r\n" : "OPTIONS /x HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n");
        }
        for (std::size_t i = 0; i < clients.size(); ++i)
            ASSERT_EQ(read_until_closed(clients[i]), i % 2 ? RUNNING : preflight(DEV)) << i;
    }
    // Everything the server opened for those connections is closed again.
    EXPECT_TRUE(test::count_returns_to(descriptors, test::open_descriptors));
    EXPECT_TRUE(test::count_returns_to(threads, test::thread_count));
}

// Without the cap every silent client costs a thread until thread creation
// fails, which ends the program.
TEST(Load, ConnectionsPastTheCapAreClosedAndTheServerRecovers) {
    std::optional<int> descriptors = test::open_descriptors();
    std::optional<int> threads = test::thread_count();
    {
        LoopbackServer server;
        server.start_accepting();
        const HubState& hub = *server.hub;
        // Subscribers fill the cap: unlike silent clients they never time out.
        std::vector<Socket> subscribers;
        for (std::size_t i = 0; i < MAX_CONNECTIONS; ++i) {
            subscribers.push_back(server.connect_client());
            send_text(subscribers.back(), "GET /events HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n");
        }
        ASSERT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == MAX_CONNECTIONS; }, 60s));
        std::vector<Socket> silent;
        for (int i = 0; i < 300; ++i) silent.push_back(server.connect_client());
        Socket refused = server.connect_client();
        send_text(refused, "GET / HTTP/1.1\r\n\r\n");
        EXPECT_EQ(read_until_closed(refused), SILENT);
        EXPECT_EQ(hub.live_connections.load(), MAX_CONNECTIONS);

        silent.clear();
        subscribers.clear();
        ASSERT_TRUE(test::wait_until([&] { return hub.live_connections.load() == 0; }, 10s));
        Socket normal = server.connect_client();
        send_text(normal, "GET / HTTP/1.1\r\n\r\n");
        EXPECT_EQ(read_until_closed(normal), RUNNING);
    }
    EXPECT_TRUE(test::count_returns_to(descriptors, test::open_descriptors));
    EXPECT_TRUE(test::count_returns_to(threads, test::thread_count));
}

TEST(Load, TwoHundredSubscribersReceiveEveryEventInOrder) {
    std::optional<int> descriptors = test::open_descriptors();
    {
        LoopbackServer server;
        server.start_accepting();
        const std::string request = "GET /events?key=7&hold=50 HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n";
        std::vector<Socket> clients;
        for (int i = 0; i < 200; ++i) {
            clients.push_back(server.connect_client());
            send_text(clients.back(), request);
        }
        ASSERT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == 200; }, 30s));
        // The key 7 on a 100 ms rhythm: down at each step, then 60 ms later
        // up after even steps and still down after odd ones. So step 0 is a
        // 60 ms press; each odd step starts a press that reaches the 50 ms
        // threshold (a chest) and ends 160 ms after it began.
        test::ScriptedInput input;
        input.focused = true;
        PollState state{.pad_state = PadState::Unannounced, .last_ping = server.hub->started_at};
        for (int n = 0; n < 40; ++n) {
            std::uint64_t t = 1000 + static_cast<std::uint64_t>(n) * 100;
            for (auto [at, down] : {std::pair{t, true}, std::pair{t + 60, n % 2 == 1}}) {
                input.keys = down ? std::set<std::uint32_t>{0x37} : std::set<std::uint32_t>{};
                poll_tick(*server.hub, input, state, server.hub->started_at + std::chrono::milliseconds(at));
            }
        }
        using namespace test::wire;
        std::string expected = PAD_OFF + down("key") + up("key", 60, true);
        for (int n = 1; n < 40; n += 2) expected += down("key") + chest("key") + (n < 39 ? up("key", 160, true) : "");
        const std::string whole = stream_head(DEV) + test::wire::HELLO + expected;
        for (std::size_t i = 0; i < clients.size(); ++i) EXPECT_EQ(read_exactly(clients[i], whole.size()), whole) << i;
    }
    EXPECT_TRUE(test::count_returns_to(descriptors, test::open_descriptors));
}

TEST(Load, DrippingClientsDoNotDelayANormalRequest) {
    LoopbackServer server;
    server.start_accepting();
    std::vector<Socket> drippers;
    for (int i = 0; i < 64; ++i) drippers.push_back(server.connect_client());
    std::atomic<bool> stop{false};
    std::thread drip([&] {
        const std::string head = "GET / HTTP/1.1\r\n\r\n";
        for (std::size_t k = 0; k < 3 && !stop; ++k) {
            for (Socket& dripper : drippers) send_text(dripper, head.substr(k, 1));
            std::this_thread::sleep_for(1s);
        }
    });
    Socket normal = server.connect_client();
    send_text(normal, "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(read_until_closed(normal), RUNNING);
    stop = true;
    drip.join();
    for (Socket& dripper : drippers) EXPECT_EQ(read_until_closed(dripper), SILENT);  // the head never completed
}

TEST(Faults, ResetsMidHeadMidAnswerAndMidStreamHurtNobodyElse) {
    std::optional<int> descriptors = test::open_descriptors();
    {
        LoopbackServer server;
        server.start_accepting();
        for (int i = 0; i < 50; ++i) {
            Socket mid_head = server.connect_client();
            send_text(mid_head, "GET / HTTP/1.1\r\nOri");
            test::reset(std::move(mid_head));

            Socket mid_answer = server.connect_client();
            send_text(mid_answer, "GET / HTTP/1.1\r\n\r\n");
            test::reset(std::move(mid_answer));

            Socket mid_stream = server.connect_client();
            send_text(mid_stream, "GET /events HTTP/1.1\r\nOrigin: " + DEV + "\r\n\r\n");
            read_exactly(mid_stream, 10);
            test::reset(std::move(mid_stream));
        }
        Socket normal = server.connect_client();
        send_text(normal, "GET / HTTP/1.1\r\n\r\n");
        EXPECT_EQ(read_until_closed(normal), RUNNING);
        ASSERT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == 0; }, 10s));
    }
    EXPECT_TRUE(test::count_returns_to(descriptors, test::open_descriptors));
}

// Accepting on a socket that is not listening fails at once, as a persistent
// failure (no descriptors left) would.
TEST(Faults, FailingAcceptPausesInsteadOfSpinning) {
    std::optional<Socket> listener = listen_loopback(0, LISTEN_BACKLOG);
    ASSERT_TRUE(listener);
    std::optional<Socket> not_listening = connect_loopback(local_port(*listener));
    ASSERT_TRUE(not_listening);
    std::shared_ptr<HubState> hub = std::make_shared<HubState>(Clock::now());
    int tries = 0;
    for (Instant end = Clock::now() + 1s; Clock::now() < end; ++tries) accept_next(*not_listening, hub);
    EXPECT_GE(tries, 1);
    EXPECT_LT(tries, 100);  // a spinning loop makes hundreds of thousands
    EXPECT_EQ(hub->live_connections.load(), 0u);
}

}  // namespace
}  // namespace vantrel
