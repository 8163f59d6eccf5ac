#include "platform/platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

namespace vantrel {

namespace {

int fd(const Socket& socket) { return static_cast<int>(socket.get()); }

bool set_timeout(const Socket& socket, int option, std::chrono::milliseconds timeout) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    return setsockopt(fd(socket), SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

sockaddr_in loopback_address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

void close_socket(NativeSocket handle) { ::close(static_cast<int>(handle)); }

bool net_startup() { return true; }

std::optional<Socket> listen_loopback(std::uint16_t port, int backlog) {
    int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (handle < 0) return std::nullopt;
    Socket socket(static_cast<NativeSocket>(handle));
    sockaddr_in address = loopback_address(port);
    if (bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return std::nullopt;
    if (listen(handle, backlog) != 0) return std::nullopt;
    return socket;
}

std::uint16_t local_port(const Socket& socket) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(fd(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

std::optional<Socket> accept_connection(const Socket& listener) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    int handle = accept4(fd(listener), reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
    if (handle < 0) return std::nullopt;
    Socket socket(static_cast<NativeSocket>(handle));
    if (peer.ss_family != AF_INET && peer.ss_family != AF_INET6) return std::nullopt;
    return socket;
}

std::optional<Socket> connect_loopback(std::uint16_t port) {
    int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (handle < 0) return std::nullopt;
    Socket socket(static_cast<NativeSocket>(handle));
    sockaddr_in address = loopback_address(port);
    if (connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return std::nullopt;
    return socket;
}

bool set_recv_timeout(const Socket& socket, std::chrono::milliseconds timeout) {
    return set_timeout(socket, SO_RCVTIMEO, timeout);
}

bool set_send_timeout(const Socket& socket, std::chrono::milliseconds timeout) {
    return set_timeout(socket, SO_SNDTIMEO, timeout);
}

bool set_no_delay(const Socket& socket) {
    int on = 1;
    return setsockopt(fd(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

std::ptrdiff_t recv_some(const Socket& socket, char* buffer, std::size_t size) {
    return ::recv(fd(socket), buffer, size, 0);
}

void wait_for_end(Socket socket, std::chrono::milliseconds slice, const std::function<bool()>& still_wanted) {
    pollfd watched{.fd = fd(socket), .events = POLLIN, .revents = 0};
    while (::poll(&watched, 1, static_cast<int>(slice.count())) == 0) {
        if (!still_wanted()) return;
    }
    char discard[1024];
    ::recv(fd(socket), discard, sizeof discard, MSG_DONTWAIT);
}

std::ptrdiff_t send_some(const Socket& socket, const char* data, std::size_t size) {
    return ::send(fd(socket), data, size, MSG_NOSIGNAL);
}

std::optional<Socket> duplicate_socket(const Socket& socket) {
    int handle = fcntl(fd(socket), F_DUPFD_CLOEXEC, 0);
    if (handle < 0) return std::nullopt;
    return Socket(static_cast<NativeSocket>(handle));
}

void shutdown_send(const Socket& socket) { ::shutdown(fd(socket), SHUT_WR); }

void shutdown_both(const Socket& socket) { ::shutdown(fd(socket), SHUT_RDWR); }

void spawn_detached_body(std::unique_ptr<ThreadBody> body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, THREAD_STACK_RESERVATION);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int error = pthread_create(
        &thread, &attributes,
        [](void* owned) -> void* {
            std::unique_ptr<ThreadBody>(static_cast<ThreadBody*>(owned))->run();
            return nullptr;
        },
        body.get());
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        errno = error;
        fatal("failed to spawn thread: " + last_system_error());
    }
    body.release();  // the thread owns it now
}

void wait_interval(std::chrono::milliseconds interval) { std::this_thread::sleep_for(interval); }

std::string last_system_error() { return std::strerror(errno); }

}  // namespace vantrel
