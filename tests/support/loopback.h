// Real loopback connections to handle_connection, and the reads tests need.
#pragma once

#include "server/connection.h"
#include "server/hub.h"
#include "platform/platform.h"

#include <chrono>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace vantrel::test {

// A listener on an ephemeral port served by the product's own accept path
// (accept_next): its connection cap, and a detached thread per connection.
// Going away, it waits until every connection thread has ended.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Connects a client and accepts it.
    Socket connect();
    // Accepts on a thread of its own, so many clients can connect at once;
    // then clients come from connect_client().
    void start_accepting();
    Socket connect_client();
    // Connects, sends the head and returns the client.
    Socket request(std::string_view head);
    // Waits until every connection thread started so far has ended.
    void join();

    std::shared_ptr<HubState> hub;

private:
    Socket listener_;
    std::uint16_t port_ = 0;
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};
};

bool send_text(const Socket& socket, std::string_view text);
// Everything until the server closes (or `limit` passes).
std::string read_until_closed(const Socket& socket, std::chrono::milliseconds limit = std::chrono::seconds(10));
// Reads and discards until the peer ends the stream (true) or `limit` passes.
bool stream_ends(const Socket& socket, std::chrono::milliseconds limit = std::chrono::seconds(10));
// Exactly `count` bytes, or fewer if the stream ends or `limit` passes.
std::string read_exactly(const Socket& socket, std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(5));
// True when nothing arrives within `wait`.
bool nothing_pending(const Socket& socket, std::chrono::milliseconds wait = std::chrono::milliseconds(50));
// Socket buffers of about that size: small ones make a client that stops
// reading back up within kilobytes, large ones hold a burst unread.
void set_buffers(const Socket& socket, int bytes);
// Closes with an immediate reset instead of an orderly end.
void reset(Socket socket);
// Open descriptors and threads of this process; none where the system gives
// no exact count (Windows).
std::optional<int> open_descriptors();
std::optional<int> thread_count();
// Whether `count` comes back to `before` (or below) within a few seconds:
// what a test's server opened is closed again. Where there is no count it says so and
// checks nothing; two unknowns are never compared.
bool count_returns_to(std::optional<int> before, std::optional<int> (*count)());
// Polls until the predicate holds or `limit` passes.
bool wait_until(const std::function<bool()>& predicate, std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace vantrel::test
