// The one seam between the portable code and the operating system: sockets,
// detached threads, interval waits, system errors and the fatal exit.
// platform_win.cpp and platform_posix.cpp implement it; nothing in src/server
// sees an OS header.
#pragma once

#include "platform/owned.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// steady_clock is QueryPerformanceCounter on Windows and CLOCK_MONOTONIC on
// POSIX: monotonic, nanosecond resolution.
using Clock = std::chrono::steady_clock;
using Instant = Clock::time_point;

// now - since, never negative.
inline Clock::duration elapsed(Instant since, Instant now) {
    return now > since ? now - since : Clock::duration::zero();
}

using NativeSocket = std::uintptr_t;  // SOCKET on Windows, an int on POSIX
inline constexpr NativeSocket NO_SOCKET = ~NativeSocket{0};

void close_socket(NativeSocket handle);
using Socket = Owned<NativeSocket, close_socket, NO_SOCKET>;

// Starts the socket library once per process (WSAStartup 2.2). False means
// the process cannot serve at all.
bool net_startup();

// A non-inheritable IPv4 stream socket bound to 127.0.0.1:port and listening.
// On Windows the address is claimed exclusively, so no other program can bind
// it alongside us. Port 0 picks a free port (tests).
std::optional<Socket> listen_loopback(std::uint16_t port, int backlog);
std::uint16_t local_port(const Socket& socket);

// Blocks for the next connection; none when the accept failed or the peer is
// neither IPv4 nor IPv6.
std::optional<Socket> accept_connection(const Socket& listener);

// A blocking client connection to 127.0.0.1:port (tests and benchmarks).
std::optional<Socket> connect_loopback(std::uint16_t port);

// A zero duration removes the time-out.
bool set_recv_timeout(const Socket& socket, std::chrono::milliseconds timeout);
bool set_send_timeout(const Socket& socket, std::chrono::milliseconds timeout);
bool set_no_delay(const Socket& socket);

// One recv/send call: bytes moved, 0 for end of stream (recv), negative on
// error or time-out. A send never raises SIGPIPE.
std::ptrdiff_t recv_some(const Socket& socket, char* buffer, std::size_t size);

// One recv that waits no later than `deadline` (it sets the receive
// time-out); negative, without reading, once the deadline has passed or when
// the time-out cannot be set, which would make the read wait without end.
inline std::ptrdiff_t recv_before(const Socket& socket, char* buffer, std::size_t size, Instant deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= std::chrono::milliseconds::zero() || !set_recv_timeout(socket, left)) return -1;
    return recv_some(socket, buffer, size);
}

// Waits until the connection ends: the peer closes or resets it, or sends
// anything (read and thrown away, so the close that follows is orderly).
// Between slices it asks `still_wanted`, and returns as soon as that says
// no. It closes `socket`, a handle of its own, on every way out. (A blocking
// recv with a time-out would not do: on Windows one that times out leaves
// the connection in an undefined state.)
void wait_for_end(Socket socket, std::chrono::milliseconds slice, const std::function<bool()>& still_wanted);
std::ptrdiff_t send_some(const Socket& socket, const char* data, std::size_t size);

// A second handle to the same connection.
std::optional<Socket> duplicate_socket(const Socket& socket);

// Ends our sending direction only: the peer sees end of stream and can still
// send, so it gets to close first.
void shutdown_send(const Socket& socket);

// Ends the connection in both directions for every handle that shares it: a
// read blocked on another handle returns and the peer sees end of stream.
void shutdown_both(const Socket& socket);

// What a thread runs; the thread owns it and destroys it when done.
struct ThreadBody {
    virtual ~ThreadBody() = default;
    virtual void run() = 0;
};

// Runs the body on a new detached thread with a 2 MiB stack reservation. A
// thread that cannot be created is fatal.
void spawn_detached_body(std::unique_ptr<ThreadBody> body);
inline constexpr std::size_t THREAD_STACK_RESERVATION = 2 * 1024 * 1024;

// The same for any callable, move-only ones included.
template <typename Callable>
void spawn_detached(Callable callable) {
    struct Body final : ThreadBody {
        explicit Body(Callable c) : callable(std::move(c)) {}
        void run() override { callable(); }
        Callable callable;
    };
    spawn_detached_body(std::make_unique<Body>(std::move(callable)));
}

// Waits about `interval`, at the system timer's finest resolution.
void wait_interval(std::chrono::milliseconds interval);

// The description of the calling thread's last system error, on one line.
std::string last_system_error();

// Writes the line to the standard error stream (which a windowed process
// normally lacks) and ends the process at once with status 1.
[[noreturn]] void fatal(std::string_view line);

}  // namespace vantrel
