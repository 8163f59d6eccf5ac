#include "input/ps_report.h"

#include "server/input_source.h"

#include <array>

namespace vantrel {

namespace {

// Report ids, and where the two button bytes start in each layout.
constexpr std::uint8_t REPORT_SIMPLE = 0x01;  // USB, and Bluetooth until the game asks for more
constexpr std::uint8_t REPORT_DS4_BLUETOOTH = 0x11;
constexpr std::uint8_t REPORT_DUALSENSE_BLUETOOTH = 0x31;
constexpr std::size_t DS4_BUTTONS = 5;  // after the four stick bytes
constexpr std::size_t DS4_BLUETOOTH_BUTTONS = 7;
constexpr std::size_t DUALSENSE_BUTTONS = 8;  // after the sticks, both triggers and a counter
constexpr std::size_t DUALSENSE_BLUETOOTH_BUTTONS = 9;
// Both models' USB report is 64 bytes. Over Bluetooth a DualSense's report
// 0x01 is the short, DualShock 4 shaped one.
constexpr std::size_t USB_REPORT = 64;
// The DualShock 4 wireless adapter sets this bit of its USB report while no
// controller is paired with it; a wired controller never does. Windows pads
// the report to the device's longest, so it may come longer than 64 bytes.
constexpr std::size_t ADAPTER_STATUS = 31;
constexpr std::uint8_t ADAPTER_NO_CONTROLLER = 0x04;
// The extended Bluetooth reports end their first 78 bytes with a CRC-32 over
// a one-byte header and the 74 bytes before it, little-endian; a frame that
// fails it was corrupted on the way and may show a press nobody made.
constexpr std::uint8_t BLUETOOTH_INPUT_HEADER = 0xA1;
constexpr std::size_t BLUETOOTH_SIGNED = 74;
constexpr std::size_t BLUETOOTH_CRC_BYTES = 4;

struct ButtonBit {
    std::size_t byte;  // 0: the face-button byte, 1: the next
    std::uint8_t bit;
    std::uint16_t xinput;
};

// Cross, Circle, Square and Triangle sit where A, B, X and Y do; L1 and R1
// where the shoulders do. The face byte's low four bits are the d-pad.
constexpr std::array<ButtonBit, 6> BUTTONS = {{
    {0, 0x20, BUTTON_A},               // Cross
    {0, 0x40, BUTTON_B},               // Circle
    {0, 0x10, BUTTON_X},               // Square
    {0, 0x80, BUTTON_Y},               // Triangle
    {1, 0x01, BUTTON_LEFT_SHOULDER},   // L1
    {1, 0x02, BUTTON_RIGHT_SHOULDER},  // R1
}};

std::optional<std::size_t> buttons_at(PsModel model, std::span<const std::uint8_t> report) {
    if (report.empty()) return std::nullopt;
    switch (report[0]) {
        case REPORT_SIMPLE:
            return model == PsModel::DualSense && report.size() == USB_REPORT ? DUALSENSE_BUTTONS : DS4_BUTTONS;
        case REPORT_DS4_BLUETOOTH:
            if (model == PsModel::DualShock4) return DS4_BLUETOOTH_BUTTONS;
            return std::nullopt;
        case REPORT_DUALSENSE_BLUETOOTH:
            if (model == PsModel::DualSense) return DUALSENSE_BLUETOOTH_BUTTONS;
            return std::nullopt;
        default: return std::nullopt;
    }
}

bool bluetooth_crc_holds(std::span<const std::uint8_t> report) {
    if (report.size() < BLUETOOTH_SIGNED + BLUETOOTH_CRC_BYTES) return false;
    const std::uint8_t header = BLUETOOTH_INPUT_HEADER;
    std::uint32_t crc = crc32(report.first(BLUETOOTH_SIGNED), crc32({&header, 1}));
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < BLUETOOTH_CRC_BYTES; ++i)
        stored |= std::uint32_t{report[BLUETOOTH_SIGNED + i]} << (8 * i);
    return crc == stored;
}

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    crc = ~crc;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::optional<PsModel> ps_model(std::uint16_t vendor, std::uint16_t product) {
    if (vendor != SONY_VENDOR) return std::nullopt;
    switch (product) {
        case 0x05C4:  // DualShock 4
        case 0x09CC:  // DualShock 4, second model
        case DS4_WIRELESS_ADAPTER: return PsModel::DualShock4;
        case 0x0CE6:  // DualSense
        case 0x0DF2:  // DualSense Edge
            return PsModel::DualSense;
        default: return std::nullopt;
    }
}

std::optional<PsState> parse_ps_report(PsModel model, std::span<const std::uint8_t> report) {
    std::optional<std::size_t> at = buttons_at(model, report);
    if (!at || report.size() < *at + 2) return std::nullopt;
    if (report[0] != REPORT_SIMPLE && !bluetooth_crc_holds(report)) return std::nullopt;
    PsState state;
    for (const ButtonBit& button : BUTTONS) {
        if (report[*at + button.byte] & button.bit) state.buttons |= button.xinput;
    }
    if (model == PsModel::DualShock4 && report[0] == REPORT_SIMPLE && report.size() >= USB_REPORT)
        state.connected = (report[ADAPTER_STATUS] & ADAPTER_NO_CONTROLLER) == 0;
    return state;
}

}  // namespace vantrel
