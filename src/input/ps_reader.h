// Finds a PlayStation controller among the system's HID devices and reads its
// reports on a thread of its own; the poll thread only takes the latest state.
#pragma once

#include "input/hid_system.h"
#include "input/ps_report.h"
#include "platform/platform.h"
#include "server/input_source.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
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

// What the reader thread and the poll thread share.
struct PsPad {
    std::mutex lock;
    std::condition_variable wake;
    std::optional<Instant> last_asked;
    bool asleep = false;  // the reader waits for the next ask, whenever it comes
    bool stopping = false;
    InputSample latest;
};

// The poll thread's side: records the ask, wakes the reader if it sleeps,
// and returns the latest state.
InputSample ask_ps_pad(PsPad& pad, Instant now);

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
// unplugged controller; an empty one asks for a pause.
PsStep ps_reader_step(PsReader& reader, PsPad& pad, Instant now);

// Turns until stopped, sleeping while unasked; `now` is the clock.
void ps_reader_loop(
    PsPad& pad, HidSystem& system, Instant (*now)() = [] { return Clock::now(); });

}  // namespace vantrel
