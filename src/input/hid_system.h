// The seam between the PlayStation reader and the system's HID devices, so
// that the choice of device and the reading are tested natively; its
// Windows side is hid_win.cpp.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

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

// The system's HID devices.
class HidSystem {
public:
    virtual ~HidSystem() = default;
    // The HID interfaces present, by their ids alone (opened with no access).
    virtual std::vector<HidCandidate> enumerate() = 0;
    // Opened for reading only, shared, so the game keeps the device; none
    // when it cannot be opened or is not a game pad.
    virtual std::unique_ptr<HidDevice> open(const std::u16string& path) = 0;
};

}  // namespace vantrel
