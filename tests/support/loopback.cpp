#include "loopback.h"

#include "server/response.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>

namespace vantrel::test {

LoopbackServer::LoopbackServer() : hub(std::make_shared<HubState>(Clock::now())) {
    if (!net_startup()) throw std::runtime_error("socket library");
    std::optional<Socket> listener = listen_loopback(0, 128);
    if (!listener) throw std::runtime_error("listen");
    listener_ = std::move(*listener);
    port_ = local_port(listener_);
}

LoopbackServer::~LoopbackServer() {
    if (acceptor_.joinable()) {
        stopping_ = true;
        connect_loopback(port_);  // wakes the blocked accept
        acceptor_.join();
    }
    join();
}

Socket LoopbackServer::connect() {
    std::optional<Socket> client = connect_loopback(port_);
    if (!client) throw std::runtime_error("connect");
    accept_next(listener_, hub);
    return std::move(*client);
}

void LoopbackServer::start_accepting() {
    acceptor_ = std::thread([this] {
        while (!stopping_) accept_next(listener_, hub);
    });
}

Socket LoopbackServer::connect_client() {
    std::optional<Socket> client = connect_loopback(port_);
    if (!client) throw std::runtime_error("connect");
    return std::move(*client);
}

Socket LoopbackServer::request(std::string_view head) {
    Socket client = connect();
    send_text(client, head);
    return client;
}

void LoopbackServer::join() {
    // A failure, not an exception: thrown from the destructor it would end
    // the process, which under Wine hangs instead.
    if (!wait_until([&] { return hub->live_connections.load() == 0; }, std::chrono::seconds(30)))
        ADD_FAILURE() << "connection threads still running";
}

bool send_text(const Socket& socket, std::string_view text) { return send_all(socket, text); }

std::string read_until_closed(const Socket& socket, std::chrono::milliseconds limit) {
    set_recv_timeout(socket, limit);
    std::string received;
    std::array<char, 4096> buffer;
    for (;;) {
        std::ptrdiff_t count = recv_some(socket, buffer.data(), buffer.size());
        if (count <= 0) return received;
        received.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

bool stream_ends(const Socket& socket, std::chrono::milliseconds limit) {
    set_recv_timeout(socket, limit);
    std::array<char, 65536> buffer;
    for (;;) {
        std::ptrdiff_t count = recv_some(socket, buffer.data(), buffer.size());
        if (count == 0) return true;
        if (count < 0) return false;
    }
}

std::string read_exactly(const Socket& socket, std::size_t count, std::chrono::milliseconds limit) {
    set_recv_timeout(socket, limit);
    std::string received;
    std::array<char, 4096> buffer;
    while (received.size() < count) {
        std::size_t want = std::min(buffer.size(), count - received.size());
        std::ptrdiff_t got = recv_some(socket, buffer.data(), want);
        if (got <= 0) break;
        received.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return received;
}

bool nothing_pending(const Socket& socket, std::chrono::milliseconds wait) {
    set_recv_timeout(socket, wait);
    char byte;
    return recv_some(socket, &byte, 1) < 0;
}

void set_buffers(const Socket& socket, int bytes) {
    int size = bytes;
#ifdef _WIN32
    auto handle = static_cast<SOCKET>(socket.get());
#else
    auto handle = static_cast<int>(socket.get());
#endif
    setsockopt(handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    setsockopt(handle, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
}

void reset(Socket socket) {
    linger immediate{1, 0};
#ifdef _WIN32
    setsockopt(static_cast<SOCKET>(socket.get()), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&immediate),
               sizeof immediate);
#else
    setsockopt(static_cast<int>(socket.get()), SOL_SOCKET, SO_LINGER, &immediate, sizeof immediate);
#endif
}

// Windows has no exact count to offer: threads of its own (and Wine's) come
// and go, and Wine gives no handle count.
#ifdef _WIN32
std::optional<int> open_descriptors() { return std::nullopt; }
std::optional<int> thread_count() { return std::nullopt; }
#else
namespace {

int count_entries(const char* directory) {
    return static_cast<int>(
        std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator{}));
}

}  // namespace

std::optional<int> open_descriptors() { return count_entries("/proc/self/fd"); }
std::optional<int> thread_count() { return count_entries("/proc/self/task"); }
#endif

bool count_returns_to(std::optional<int> before, std::optional<int> (*count)()) {
    if (!before) {
        std::printf("[   NOTE   ] descriptor and thread counts not checked: this system gives no exact count\n");
        return true;
    }
    // At most: a detached thread of the test before may still have been
    // on its way out when `before` was taken.
    return wait_until([&] { return count() <= before; });
}

bool wait_until(const std::function<bool()>& predicate, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    while (!predicate()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace vantrel::test
