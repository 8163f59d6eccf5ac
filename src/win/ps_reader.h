// Finds a PlayStation controller among the system's HID devices and reads its
// reports on a thread of its own; the poll thread only takes the latest state.
#pragma once

#include "platform/platform.h"
#include "server/input_source.h"
#include "win/ps_report.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
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

struct HidCandidate {
    std::u16string path;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

enum class HidRead { Report, TimedOut, Failed };

// The system's HID calls: the seam that lets the choice of device and the
// reading be tested natively.
struct HidCalls {
    std::vector<HidCandidate> (*enumerate)() = nullptr;  // the HID interfaces present
    // Opened for reading only, shared, so the game keeps the device.
    std::optional<std::uintptr_t> (*open)(const std::u16string& path) = nullptr;
    // Waits up to `timeout` for the next input report, which then fills `report`.
    HidRead (*read)(std::uintptr_t device, std::vector<std::uint8_t>& report,
                    std::chrono::milliseconds timeout) = nullptr;
    void (*close)(std::uintptr_t device) = nullptr;
};

// What the reader thread and the poll thread share.
struct PsPad {
    std::mutex lock;
    std::condition_variable asked;
    std::optional<Instant> last_asked;
    InputSample latest;
};

// The poll thread's side: the latest state; wakes an idle reader.
InputSample take_ps_pad(PsPad& pad, Instant now);

// The reader thread's own state.
struct PsReader {
    HidCalls calls;
    std::optional<std::uintptr_t> device;
    PsModel model = PsModel::DualShock4;
    std::vector<std::uint8_t> report;
};

enum class PsStep { Idle, NoDevice, Reading };

// One turn of the reader: looks for a controller when it has none (keeping
// only whether one is there while unasked), lets it go when unasked, or
// reads one report. A failed read is an unplugged controller.
PsStep ps_reader_step(PsReader& reader, PsPad& pad, Instant now);

[[noreturn]] void ps_reader_loop(PsPad& pad, HidCalls calls);

}  // namespace vantrel
