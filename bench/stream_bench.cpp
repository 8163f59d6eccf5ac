// Measures the real server and poll loop on loopback: tick period, input-to-
// wire latency, poll-thread CPU per tick and resident memory, for 1 and 100
// subscribers and as many as the connection cap allows. The server runs in a child process so its CPU and memory
// are its own; both processes share one monotonic clock.
//
//   build/bench/bench/stream_bench [seconds-per-run]
#include "server/connection.h"
#include "server/poll_loop.h"

#include <sys/epoll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

constexpr std::size_t MAX_TICKS = 1 << 16;
constexpr std::size_t MAX_CHANGES = 1 << 12;
constexpr std::uint32_t KEY = 0x41;

// Lives in memory shared by both processes.
struct Shared {
    std::atomic<std::uint16_t> port;
    std::atomic<bool> measuring;
    std::atomic<std::uint64_t> ticks;
    std::uint64_t tick_ns[MAX_TICKS];
    std::uint64_t tick_cpu_ns[MAX_TICKS];
    std::atomic<std::uint64_t> changes;
    std::uint64_t change_ns[MAX_CHANGES];
};

std::uint64_t now_ns() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count());
}

std::uint64_t thread_cpu_ns() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

// The key flips at random instants between ticks, as a real finger would.
struct BenchInput final : InputSource {
    Shared& shared;
    std::atomic<bool> key{false};
    explicit BenchInput(Shared& s) : shared(s) {}
    InputSample read_pad() override {
        if (shared.measuring) {
            std::uint64_t n = shared.ticks.fetch_add(1);
            if (n < MAX_TICKS) {
                shared.tick_ns[n] = now_ns();
                shared.tick_cpu_ns[n] = thread_cpu_ns();
            }
        }
        return {};
    }
    bool key_down(std::uint32_t) override { return key.load(); }
    bool game_focused() override { return true; }
};

[[noreturn]] void run_server(Shared& shared, bool press_keys) {
    net_startup();
    Socket listener = *listen_loopback(0, LISTEN_BACKLOG);
    shared.port = local_port(listener);
    auto hub = std::make_shared<HubState>(Clock::now());
    std::thread([&listener, hub] { accept_loop(std::move(listener), hub); }).detach();
    auto input = std::make_unique<BenchInput>(shared);
    BenchInput& keys = *input;
    if (press_keys) {
        std::thread([&keys, &shared] {
            std::mt19937 random(42);
            std::uniform_int_distribution<int> gap_ms(80, 200);
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms(random)));
                if (!shared.measuring) continue;
                std::uint64_t n = shared.changes.load();
                if (n >= MAX_CHANGES) continue;
                shared.change_ns[n] = now_ns();
                shared.changes.store(n + 1);
                keys.key = !keys.key;
            }
        }).detach();
    }
    poll_loop(hub, std::move(input));
}

long resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double process_cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::size_t close = text.rfind(')');
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        fields.push_back(text.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    // utime and stime are fields 14 and 15 of the whole line.
    return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

struct Client {
    Socket socket;
    std::string carry;
    std::size_t events = 0;
    bool greeted = false;  // its hello arrived: it is a subscriber, not refused at the cap
};

void run(int subscribers, double seconds, bool press_keys) {
    auto* shared =
        static_cast<Shared*>(mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    new (shared) Shared{};
    pid_t child = fork();
    if (child == 0) run_server(*shared, press_keys);
    while (shared->port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));

    int poller = epoll_create1(0);
    std::vector<Client> clients(static_cast<std::size_t>(subscribers));
    const std::string request = "GET /events?key=a HTTP/1.1\r\nOrigin: http://localhost:3000\r\n\r\n";
    for (std::size_t i = 0; i < clients.size(); ++i) {
        clients[i].socket = *connect_loopback(shared->port);
        ::send(static_cast<int>(clients[i].socket.get()), request.data(), request.size(), 0);
        epoll_event interest{EPOLLIN, {.u64 = i}};
        epoll_ctl(poller, EPOLL_CTL_ADD, static_cast<int>(clients[i].socket.get()), &interest);
    }
    // Every subscription settles, or the row is refused: past the connection
    // cap a client is closed unanswered and would measure nothing.
    std::vector<epoll_event> ready(256);
    char buffer[65536];
    int greeted = 0;
    for (auto settle = Clock::now() + std::chrono::seconds(5); greeted < subscribers && Clock::now() < settle;) {
        int count = epoll_wait(poller, ready.data(), static_cast<int>(ready.size()), 50);
        for (int k = 0; k < count; ++k) {
            Client& client = clients[ready[static_cast<std::size_t>(k)].data.u64];
            ssize_t got = recv(static_cast<int>(client.socket.get()), buffer, sizeof buffer, 0);
            if (got <= 0 || client.greeted) continue;
            client.carry.append(buffer, static_cast<std::size_t>(got));
            std::size_t hello = client.carry.find("\"type\":\"hello\"");
            if (hello == std::string::npos) continue;
            client.carry.erase(0, client.carry.find("\n\n", hello) + 2);
            client.greeted = true;
            ++greeted;
        }
    }
    if (greeted < subscribers) {
        std::printf("| %5d | refused: only %d subscribed |\n", subscribers, greeted);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(poller);
        munmap(shared, sizeof(Shared));
        return;
    }
    shared->measuring = true;
    double cpu_start = process_cpu_seconds(child);
    auto start = Clock::now();
    auto end = start + std::chrono::duration<double>(seconds);

    std::vector<double> latency_ms;
    while (Clock::now() < end) {
        int count = epoll_wait(poller, ready.data(), static_cast<int>(ready.size()), 50);
        std::uint64_t arrived = now_ns();
        for (int k = 0; k < count; ++k) {
            Client& client = clients[ready[static_cast<std::size_t>(k)].data.u64];
            ssize_t got = recv(static_cast<int>(client.socket.get()), buffer, sizeof buffer, 0);
            if (got <= 0) continue;
            client.carry.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t at; (at = client.carry.find("\n\n")) != std::string::npos;) {
                std::string message = client.carry.substr(0, at);
                client.carry.erase(0, at + 2);
                bool event = message.find("\"type\":\"down\"") != std::string::npos ||
                             message.find("\"type\":\"up\"") != std::string::npos;
                if (!event || !shared->measuring) continue;
                std::size_t index = client.events++;
                if (index < shared->changes.load())
                    latency_ms.push_back(static_cast<double>(arrived - shared->change_ns[index]) / 1e6);
            }
        }
    }
    shared->measuring = false;
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double cpu = process_cpu_seconds(child) - cpu_start;
    long rss = resident_kib(child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(poller);

    std::uint64_t ticks = std::min<std::uint64_t>(shared->ticks.load(), MAX_TICKS);
    std::vector<double> periods;
    for (std::uint64_t i = 1; i < ticks; ++i)
        periods.push_back(static_cast<double>(shared->tick_ns[i] - shared->tick_ns[i - 1]) / 1e6);
    double mean = 0;
    for (double p : periods) mean += p;
    mean = periods.empty() ? 0 : mean / static_cast<double>(periods.size());
    double cpu_per_tick_us = ticks > 1 ? static_cast<double>(shared->tick_cpu_ns[ticks - 1] - shared->tick_cpu_ns[0]) /
                                             1e3 / static_cast<double>(ticks - 1)
                                       : 0;
    std::printf("| %5d of %5d | %-6s | %6.2f | %6.2f | %6.2f | %6.2f | %8.1f | %5.2f %% | %7ld |\n", greeted,
                subscribers, press_keys ? "keys" : "idle", mean, percentile(periods, 0.99), percentile(latency_ms, 0.5),
                percentile(latency_ms, 0.99), cpu_per_tick_us, 100.0 * cpu / wall, rss);
    std::fflush(stdout);
    munmap(shared, sizeof(Shared));
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    rlimit files{20000, 20000};
    setrlimit(RLIMIT_NOFILE, &files);
    std::printf(
        "| subscribers | input | tick mean ms | tick p99 ms | latency p50 ms | latency p99 ms |"
        " poll CPU per tick us | server CPU | server RSS KiB |\n|---|---|---|---|---|---|---|---|---|\n");
    vantrel::run(1, seconds, false);
    // The largest row is the connection cap: a page past it is refused.
    for (int subscribers : {1, 100, static_cast<int>(vantrel::MAX_CONNECTIONS)})
        vantrel::run(subscribers, seconds, true);
}
