// A subscription whose head or hello cannot be written, made to fail
// deterministically on a local socket pair whose buffer the test has filled.
#ifndef _WIN32
#include "server/messages.h"
#include "server/subscription.h"
#include "support/wire.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel {
namespace {

struct Pair {
    Socket server;  // handed to subscribe()
    int peer = -1;  // the "page", which never reads unless told
    ~Pair() {
        if (peer >= 0) ::close(peer);
    }
};

// Fills the server side's send buffer with one-byte writes until the next
// write would block; the smallest buffer keeps this quick.
Pair full_pair() {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    int smallest = 1;
    setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    while (::send(fds[0], "x", 1, MSG_NOSIGNAL) == 1) {
    }
    fcntl(fds[0], F_SETFL, 0);
    return Pair{Socket(static_cast<NativeSocket>(fds[0])), fds[1]};
}

TEST(SubscribeFailure, HeadThatCannotBeWrittenTakesNoId) {
    auto hub = std::make_shared<HubState>(Clock::now());
    Pair pair = full_pair();
    subscribe(std::move(pair.server), *hub, "http://localhost:3000", "");
    EXPECT_EQ(hub->next_subscriber_id.load(), 0u);
    EXPECT_EQ(subscriber_count(*hub), 0u);
}

// A write is admitted while the buffer is below its limit, however far it then
// goes past: freeing one filler byte lets the head in and leaves no room for
// the hello.
TEST(SubscribeFailure, HelloThatCannotBeWrittenStillUsesItsId) {
    auto hub = std::make_shared<HubState>(Clock::now());
    Pair pair = full_pair();
    char byte;
    ASSERT_EQ(::recv(pair.peer, &byte, 1, 0), 1);
    subscribe(std::move(pair.server), *hub, "http://localhost:3000", "");
    EXPECT_EQ(hub->next_subscriber_id.load(), 1u);
    EXPECT_EQ(subscriber_count(*hub), 0u);
    // The page got filler and the head, never the hello.
    std::string received;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(pair.peer, buffer, sizeof buffer, 0)) > 0;) received.append(buffer, got);
    EXPECT_NE(received.find(test::wire::stream_head(test::wire::DEV)), std::string::npos);
    EXPECT_EQ(received.find(test::wire::HELLO), std::string::npos);
}

}  // namespace
}  // namespace vantrel
#endif
