// The input reports of the PlayStation controllers, read as raw bytes: the
// extended Bluetooth reports are vendor-defined in the device's descriptor,
// so nothing that goes by the descriptor can read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vantrel {

inline constexpr std::uint16_t SONY_VENDOR = 0x054C;
// Its ids say nothing of whether a controller is paired with it.
inline constexpr std::uint16_t DS4_WIRELESS_ADAPTER = 0x0BA0;

enum class PsModel { DualShock4, DualSense };

// The model behind a USB or Bluetooth vendor and product id, if we read it.
std::optional<PsModel> ps_model(std::uint16_t vendor, std::uint16_t product);

struct PsState {
    bool connected = true;      // false: a wireless adapter with no controller
    std::uint16_t buttons = 0;  // in the XInput bits the rest of the program uses
};

// One input report, its id first, as the device delivered it (Windows pads
// every report to the device's longest). None for a report of another kind,
// too short to hold the buttons, or an extended Bluetooth report whose CRC
// fails; never reads past the end.
std::optional<PsState> parse_ps_report(PsModel model, std::span<const std::uint8_t> report);

// The CRC-32 of zlib and Ethernet; `crc` is the result for the bytes before.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace vantrel
