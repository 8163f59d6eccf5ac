// The one seam between the server core and the operating system: sockets,
// detached threads, interval waits and the fatal exit. platform_win.cpp and
// platform_posix.cpp implement it; nothing else in src/server sees an OS header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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

// Sole owner of one socket handle; closes it when destroyed.
class Socket {
public:
    Socket() = default;
    explicit Socket(NativeSocket handle) : handle_(handle) {}
    Socket(Socket&& other) noexcept : handle_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.release();
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { close(); }

    NativeSocket get() const { return handle_; }
    bool valid() const { return handle_ != NO_SOCKET; }
    NativeSocket release() {
        NativeSocket handle = handle_;
        handle_ = NO_SOCKET;
        return handle;
    }
    void close();  // per platform

private:
    NativeSocket handle_ = NO_SOCKET;
};

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
std::ptrdiff_t send_some(const Socket& socket, const char* data, std::size_t size);

// A second handle to the same connection.
std::optional<Socket> duplicate_socket(const Socket& socket);

// Ends our sending direction only: the peer sees end of stream and can still
// send, so it gets to close first.
void shutdown_send(const Socket& socket);

// Ends the connection in both directions for every handle that shares it: a
// read blocked on another handle returns and the peer sees end of stream.
void shutdown_both(const Socket& socket);

// Runs entry(argument) on a new detached thread with a 2 MiB stack
// reservation. A thread that cannot be created is fatal.
void spawn_detached_entry(void (*entry)(void*), void* argument);
inline constexpr std::size_t THREAD_STACK_RESERVATION = 2 * 1024 * 1024;

// The same for any callable, move-only ones included; the thread owns it.
template <typename Body>
void spawn_detached(Body body) {
    spawn_detached_entry(
        [](void* raw) {
            std::unique_ptr<Body> owned(static_cast<Body*>(raw));
            (*owned)();
        },
        new Body(std::move(body)));
}

// Waits about `interval`, at the system timer's finest resolution.
void wait_interval(std::chrono::milliseconds interval);

// Writes "<what>: <system error description>" to stderr and ends the process.
[[noreturn]] void fatal_system_error(std::string_view what);

}  // namespace vantrel
