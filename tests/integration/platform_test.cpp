// The contract of the platform layer, on both its sides.
#include "platform/platform.h"
#include "support/loopback.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <atomic>
#include <future>
#include <memory>
#include <thread>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// Another program that asks for address reuse must still not get the port
// (on Windows this is what SO_EXCLUSIVEADDRUSE buys).
TEST(Platform, ClaimedPortCannotBeBoundAgainEvenWithAddressReuse) {
    ASSERT_TRUE(net_startup());
    std::optional<Socket> claimed = listen_loopback(0, 8);
    ASSERT_TRUE(claimed.has_value());
    std::uint16_t port = local_port(*claimed);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto* bound = reinterpret_cast<sockaddr*>(&address);
#ifdef _WIN32
    Socket intruder(static_cast<NativeSocket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
    BOOL on = TRUE;
    setsockopt(static_cast<SOCKET>(intruder.get()), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on),
               sizeof on);
    EXPECT_NE(bind(static_cast<SOCKET>(intruder.get()), bound, sizeof address), 0);
#else
    Socket intruder(static_cast<NativeSocket>(::socket(AF_INET, SOCK_STREAM, 0)));
    int on = 1;
    setsockopt(static_cast<int>(intruder.get()), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    EXPECT_NE(bind(static_cast<int>(intruder.get()), bound, sizeof address), 0);
#endif
    EXPECT_FALSE(listen_loopback(port, 8).has_value());
}

// A dropped subscriber's connection must end although its connection thread
// still watches it through a duplicate: the peer sees the end of the stream,
// and the watching read returns once the peer closes (on Linux and Windows
// the shutdown alone already wakes it).
TEST(Platform, ShutdownEndsTheConnectionForEveryHandle) {
    ASSERT_TRUE(net_startup());
    std::optional<Socket> listener = listen_loopback(0, 8);
    ASSERT_TRUE(listener.has_value());
    std::optional<Socket> client = connect_loopback(local_port(*listener));
    std::optional<Socket> accepted = accept_connection(*listener);
    ASSERT_TRUE(client && accepted);
    std::optional<Socket> duplicate = duplicate_socket(*accepted);
    ASSERT_TRUE(duplicate.has_value());
    set_recv_timeout(*duplicate, 0ms);
    auto returned = std::make_shared<std::promise<std::ptrdiff_t>>();
    auto read = returned->get_future();
    std::thread([returned, &duplicate] {
        char byte;
        returned->set_value(recv_some(*duplicate, &byte, 1));
    }).detach();
    std::this_thread::sleep_for(50ms);
    shutdown_both(*accepted);
    EXPECT_TRUE(test::stream_ends(*client));
    client.reset();
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_LE(read.get(), 0);
}

TEST(Platform, SendToAResetPeerFailsWithoutKillingTheProcess) {
    ASSERT_TRUE(net_startup());
    std::optional<Socket> listener = listen_loopback(0, 8);
    std::optional<Socket> client = connect_loopback(local_port(*listener));
    std::optional<Socket> accepted = accept_connection(*listener);
    ASSERT_TRUE(client && accepted);
    test::reset(std::move(*client));
    std::this_thread::sleep_for(50ms);
    std::string block(65536, 'x');
    bool failed = false;
    for (int i = 0; i < 100 && !failed; ++i) failed = send_some(*accepted, block.data(), block.size()) <= 0;
    EXPECT_TRUE(failed);
}

TEST(Platform, DetachedThreadRunsAndWaitIsAtLeastTheInterval) {
    std::promise<void> ran;
    auto done = ran.get_future();
    spawn_detached([&ran] { ran.set_value(); });
    EXPECT_EQ(done.wait_for(10s), std::future_status::ready);
    Instant start = Clock::now();
    wait_interval(20ms);
    EXPECT_GE(Clock::now() - start, 19ms);  // lower bound only; the exact period is benchmarked
}

}  // namespace
}  // namespace vantrel
