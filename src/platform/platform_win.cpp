#include "platform/platform.h"

#include "platform/wide_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

// After winsock2.h, which must come before windows.h.
#include "platform/handles_win.h"

#include <climits>
#include <iterator>
#include <memory>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace vantrel {

namespace {

SOCKET raw(const Socket& socket) { return static_cast<SOCKET>(socket.get()); }

// How long a cancelled and closed read may take to complete.
constexpr DWORD LAST_READ_WAIT_MS = 5000;

// Overlapped so that SO_RCVTIMEO/SO_SNDTIMEO apply; never inherited, so the
// browser launch and the self-removal command never hold our connections.
constexpr DWORD SOCKET_FLAGS = WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT;

bool set_timeout(const Socket& socket, int option, std::chrono::milliseconds timeout) {
    DWORD ms = static_cast<DWORD>(timeout.count());
    return setsockopt(raw(socket), SOL_SOCKET, option, reinterpret_cast<const char*>(&ms), sizeof ms) == 0;
}

sockaddr_in loopback_address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

std::optional<Socket> new_tcp_socket() {
    SOCKET handle = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, SOCKET_FLAGS);
    if (handle == INVALID_SOCKET) return std::nullopt;
    return Socket(static_cast<NativeSocket>(handle));
}

DWORD WINAPI thread_start(LPVOID body) {
    std::unique_ptr<ThreadBody>(static_cast<ThreadBody*>(body))->run();
    return 0;
}

}  // namespace

void close_socket(NativeSocket handle) { closesocket(static_cast<SOCKET>(handle)); }

bool net_startup() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::optional<Socket> listen_loopback(std::uint16_t port, int backlog) {
    std::optional<Socket> socket = new_tcp_socket();
    if (!socket) return std::nullopt;
    BOOL on = TRUE;
    setsockopt(raw(*socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in address = loopback_address(port);
    if (bind(raw(*socket), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return std::nullopt;
    if (listen(raw(*socket), backlog) != 0) return std::nullopt;
    return socket;
}

std::uint16_t local_port(const Socket& socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(raw(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

std::optional<Socket> accept_connection(const Socket& listener) {
    sockaddr_storage peer{};
    int size = sizeof peer;
    SOCKET handle = accept(raw(listener), reinterpret_cast<sockaddr*>(&peer), &size);
    if (handle == INVALID_SOCKET) return std::nullopt;
    Socket socket(static_cast<NativeSocket>(handle));
    if (peer.ss_family != AF_INET && peer.ss_family != AF_INET6) return std::nullopt;
    SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    return socket;
}

std::optional<Socket> connect_loopback(std::uint16_t port) {
    std::optional<Socket> socket = new_tcp_socket();
    if (!socket) return std::nullopt;
    sockaddr_in address = loopback_address(port);
    if (connect(raw(*socket), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return std::nullopt;
    return socket;
}

bool set_recv_timeout(const Socket& socket, std::chrono::milliseconds timeout) {
    return set_timeout(socket, SO_RCVTIMEO, timeout);
}

bool set_send_timeout(const Socket& socket, std::chrono::milliseconds timeout) {
    return set_timeout(socket, SO_SNDTIMEO, timeout);
}

bool set_no_delay(const Socket& socket) {
    BOOL on = TRUE;
    return setsockopt(raw(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on) == 0;
}

std::ptrdiff_t recv_some(const Socket& socket, char* buffer, std::size_t size) {
    int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    return recv(raw(socket), buffer, chunk, 0);
}

void wait_for_end(Socket socket, std::chrono::milliseconds slice, const std::function<bool()>& still_wanted) {
    // One overlapped read, kept pending across the slices. What it writes
    // lives on the heap: a read that never completes (no document promises
    // that a layered provider ends it) keeps it for the rest of the process
    // rather than have it freed under the kernel.
    struct PendingRead {
        KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        char discard[1024];
        WSABUF buffer{sizeof discard, discard};
        WSAOVERLAPPED overlapped{};
    };
    auto read = std::make_unique<PendingRead>();
    if (!read->done.valid()) return;
    read->overlapped.hEvent = read->done.get();
    DWORD flags = 0;
    // No byte count: for an overlapped read it may be wrong, and its
    // documentation asks for none.
    if (WSARecv(raw(socket), &read->buffer, 1, nullptr, &flags, &read->overlapped, nullptr) != 0 &&
        WSAGetLastError() != WSA_IO_PENDING)
        return;  // already broken: no read pending
    while (WaitForSingleObject(read->done.get(), static_cast<DWORD>(slice.count())) == WAIT_TIMEOUT && still_wanted()) {
    }
    // Every way out, a failed wait included, ends the read before its
    // memory goes. The close cancels it even through a layered provider,
    // where a cancel on our handle may not reach; the cancel reaches it
    // while another handle to the connection keeps it open.
    CancelIoEx(reinterpret_cast<HANDLE>(raw(socket)), &read->overlapped);
    socket = Socket();
    if (WaitForSingleObject(read->done.get(), LAST_READ_WAIT_MS) != WAIT_OBJECT_0) read.release();  // kept for good
}

std::ptrdiff_t send_some(const Socket& socket, const char* data, std::size_t size) {
    int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    return send(raw(socket), data, chunk, 0);
}

std::optional<Socket> duplicate_socket(const Socket& socket) {
    WSAPROTOCOL_INFOW info{};
    if (WSADuplicateSocketW(raw(socket), GetCurrentProcessId(), &info) != 0) return std::nullopt;
    SOCKET handle = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, SOCKET_FLAGS);
    if (handle == INVALID_SOCKET) return std::nullopt;
    return Socket(static_cast<NativeSocket>(handle));
}

void shutdown_send(const Socket& socket) { shutdown(raw(socket), SD_SEND); }

void shutdown_both(const Socket& socket) { shutdown(raw(socket), SD_BOTH); }

void spawn_detached_body(std::unique_ptr<ThreadBody> body) {
    HANDLE thread = CreateThread(nullptr, THREAD_STACK_RESERVATION, thread_start, body.get(),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) fatal("failed to spawn thread: " + last_system_error());
    body.release();  // the thread owns it now
    CloseHandle(thread);
}

void wait_interval(std::chrono::milliseconds interval) {
    // Sleep() rounds up to the 15.625 ms system tick, so a 20 ms Sleep often
    // lasts about 31 ms; the high-resolution timer keeps the interval exact.
    // One timer per waiting thread.
    thread_local const KernelHandle timer(
        CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(interval.count()) * 10000;  // relative, in 100 ns units
    if (timer.valid() && SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
        WaitForSingleObject(timer.get(), INFINITE);
        return;
    }
    Sleep(static_cast<DWORD>(interval.count()));
}

std::string last_system_error() {
    DWORD error = GetLastError();
    wchar_t description[512] = L"";
    // MAX_WIDTH_MASK turns the line breaks inside some system texts into
    // spaces: the fatal message stays one line.
    DWORD units =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                       nullptr, error, 0, description, std::size(description), nullptr);
    std::string line = from_wide(std::wstring_view(description, units));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line.empty() ? "error " + std::to_string(error) : line;
}

}  // namespace vantrel
