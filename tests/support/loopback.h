// Real loopback connections to handle_connection, and the reads tests need.
#pragma once

#include "server/connection.h"
#include "server/hub.h"
#include "platform/platform.h"

#include <chrono>
#include <atomic>
#include <functional>
#include <mutex>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrel::test {

// A listener on an ephemeral port whose accepted connections are served by
// handle_connection on threads that are joined when the server goes away.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Connects a client and starts serving it.
    Socket connect();
    // Accepts on a thread of its own, so many clients can connect at once;
    // then clients come from connect_client().
    void start_accepting();
    Socket connect_client();
    // Connects, sends the head and returns the client.
    Socket request(std::string_view head);
    // Waits for every connection thread started so far.
    void join();

    std::shared_ptr<HubState> hub;

private:
    void serve(Socket accepted);

    Socket listener_;
    std::uint16_t port_ = 0;
    std::mutex threads_lock_;
    std::vector<std::thread> threads_;
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
// Small socket buffers, so a client that stops reading backs up within a
// few kilobytes instead of megabytes.
void shrink_buffers(const Socket& socket);
// Closes with an immediate reset instead of an orderly end.
void reset(Socket socket);
// Open descriptors and threads of this process; -1 where the system cannot say.
int open_descriptors();
int thread_count();
// Polls until the predicate holds or `limit` passes.
bool wait_until(const std::function<bool()>& predicate, std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace vantrel::test
