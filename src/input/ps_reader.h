// Finds a PlayStation controller among the system's HID devices and reads its
// reports on a thread of its own; the poll thread only takes the latest state.
#pragma once

#include "input/ps_report.h"
#include "platform/platform.h"
#include "server/input_source.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

inline constexpr std::chrono::seconds PS_RESCAN_INTERVAL{2};
// Unasked this long (no page connected), the reader lets the device go and
// sleeps: with no page connected the program reads no input.
inline constexpr std::chrono::seconds PS_IDLE_AFTER{2};
inline constexpr std::chrono::milliseconds PS_READ_SLICE{250};
// After a read that brought no bytes: a driver that completes every read at
// once with nothing would otherwise spin the reader. Half a tick, so a real
// report after an empty one is at most that late.
inline constexpr std::chrono::milliseconds PS_EMPTY_READ_PAUSE{10};

struct HidCandidate {
    std::u16string path;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

enum class HidRead { Report, TimedOut, Failed };

// One controller opened for reading. Its destructor closes it, cancelling
// and completing a read still pending first.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Waits up to `timeout` for the next input report, which then fills `report`.
    virtual HidRead read(std::vector<std::uint8_t>& report, std::chrono::milliseconds timeout) = 0;
};

// The system's HID devices: the seam that lets the choice of device and the
// reading be tested natively.
class HidSystem {
public:
    virtual ~HidSystem() = default;
    // The HID interfaces present, by their ids alone (opened with no access).
    virtual std::vector<HidCandidate> enumerate() = 0;
    // Opened for reading only, shared, so the game keeps the device; none
    // when it cannot be opened or is not a game pad.
    virtual std::unique_ptr<HidDevice> open(const std::u16string& path) = 0;
};

// What the reader thread and the poll thread share.
struct PsPad {
    std::mutex lock;
    std::condition_variable wake;
    std::optional<Instant> last_asked;
    bool asleep = false;  // the reader waits for the next ask, whenever it comes
    bool stopping = false;
    InputSample latest;
};

// The poll thread's side: the latest state; wakes a sleeping reader.
InputSample take_ps_pad(PsPad& pad, Instant now);

// Ends `ps_reader_loop` at its next turn or wait.
void stop_ps_reader(PsPad& pad);

// The reader thread's own state.
struct PsReader {
    HidSystem& system;
    std::unique_ptr<HidDevice> device;
    PsModel model = PsModel::DualShock4;
    std::vector<std::uint8_t> report;
};

enum class PsStep { Idle, NoDevice, Reading, EmptyRead };

// One turn of the reader. Unasked, it lets the device go and keeps only
// whether a controller is there, by its ids. Asked, it opens the first
// controller when it has none, or reads one report. A failed read is an
// unplugged controller.
PsStep ps_reader_step(PsReader& reader, PsPad& pad, Instant now);

// Turns until stopped, sleeping while unasked; `now` is the clock.
void ps_reader_loop(
    PsPad& pad, HidSystem& system, Instant (*now)() = [] { return Clock::now(); });

}  // namespace vantrel
