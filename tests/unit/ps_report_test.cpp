#include "input/ps_report.h"
#include "server/input_source.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

struct ReportKind {
    const char* name;
    PsModel model;
    std::size_t size;  // as Windows delivers it: padded to the device's longest report
    std::uint8_t id;
    std::size_t buttons_at;
};

std::vector<std::uint8_t> report(const ReportKind& kind, std::uint8_t face, std::uint8_t next) {
    std::vector<std::uint8_t> bytes(kind.size, 0xFB);  // every bit but the adapter's "no controller" one
    bytes[0] = kind.id;
    bytes[kind.buttons_at] = face;
    bytes[kind.buttons_at + 1] = next;
    if (kind.id != 0x01) {  // the extended Bluetooth reports are signed
        const std::uint8_t header = 0xA1;
        std::uint32_t crc = crc32(std::span(bytes).first(74), crc32({&header, 1}));
        for (int i = 0; i < 4; ++i) bytes[74 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    return bytes;
}

// Byte layouts from the controllers' public report descriptions.
TEST(PsReport, EachKindGivesTheSixButtonsInTheirXInputPlaces) {
    const ReportKind kinds[] = {
        {"DualShock 4, USB", PsModel::DualShock4, 64, 0x01, 5},
        {"DualShock 4, Bluetooth simple", PsModel::DualShock4, 10, 0x01, 5},
        {"DualShock 4, Bluetooth simple, padded", PsModel::DualShock4, 547, 0x01, 5},
        {"DualShock 4, Bluetooth extended", PsModel::DualShock4, 547, 0x11, 7},
        {"DualSense, USB", PsModel::DualSense, 64, 0x01, 8},
        {"DualSense, Bluetooth simple", PsModel::DualSense, 78, 0x01, 5},
        {"DualSense, Bluetooth extended", PsModel::DualSense, 78, 0x31, 9},
    };
    // The two button bytes as a controller sends them, the d-pad in the
    // first one's low nibble (8: released), and what they must give.
    const std::pair<const char*, std::uint16_t> presses[] = {
        {"28 00", BUTTON_A},               // Cross
        {"48 00", BUTTON_B},               // Circle
        {"18 00", BUTTON_X},               // Square
        {"88 00", BUTTON_Y},               // Triangle
        {"08 01", BUTTON_LEFT_SHOULDER},   // L1
        {"08 02", BUTTON_RIGHT_SHOULDER},  // R1
        {"07 FC", 0x0000},                 // up-left, L2, R2, Share, Options, L3, R3: none of ours
        {"F8 FF", BUTTON_A | BUTTON_B | BUTTON_X | BUTTON_Y | BUTTON_LEFT_SHOULDER | BUTTON_RIGHT_SHOULDER},
    };
    for (const ReportKind& kind : kinds) {
        for (const auto& [bytes, buttons] : presses) {
            SCOPED_TRACE(::testing::Message() << kind.name << ", bytes " << bytes);
            const auto face = static_cast<std::uint8_t>(std::stoul(std::string(bytes, 2), nullptr, 16));
            const auto next = static_cast<std::uint8_t>(std::stoul(std::string(bytes + 3, 2), nullptr, 16));
            std::optional<PsState> state = parse_ps_report(kind.model, report(kind, face, next));
            ASSERT_TRUE(state.has_value());
            EXPECT_TRUE(state->connected);
            EXPECT_EQ(state->buttons, buttons);
        }
    }
}

TEST(PsReport, ShortForeignOtherModelsAndCorruptedReportsAreIgnored) {
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc32(check), 0xCBF43926u);  // the CRC-32's published check value
    std::vector<std::uint8_t> corrupted = report({"", PsModel::DualSense, 78, 0x31, 9}, 0x20, 0);
    corrupted[20] ^= 0x01;
    EXPECT_FALSE(parse_ps_report(PsModel::DualSense, corrupted));
    const std::vector<std::uint8_t> empty;
    const std::vector<std::uint8_t> simple_short = {0x01, 0x80, 0x80, 0x80, 0x80, 0x20};
    const std::vector<std::uint8_t> extended_short(8, 0x11);
    std::vector<std::uint8_t> other_id(64, 0);
    other_id[0] = 0x05;
    EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, empty));
    EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, simple_short));
    EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, extended_short));
    EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, other_id));
    EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, std::vector<std::uint8_t>(78, 0x31)));
    EXPECT_FALSE(parse_ps_report(PsModel::DualSense, std::vector<std::uint8_t>(78, 0x11)));
}

TEST(PsReport, WirelessAdapterWithoutAControllerIsNotConnected) {
    for (std::size_t size : {64, 65, 547}) {  // Windows pads to the device's longest report
        std::vector<std::uint8_t> bytes = report({"adapter", PsModel::DualShock4, size, 0x01, 5}, 0x20, 0);
        bytes[31] = 0x04;
        EXPECT_FALSE(parse_ps_report(PsModel::DualShock4, bytes)->connected) << size;
    }
    EXPECT_EQ(ps_model(0x054C, 0x0BA0), PsModel::DualShock4);
    EXPECT_EQ(ps_model(0x054C, 0x0DF2), PsModel::DualSense);
    EXPECT_FALSE(ps_model(0x045E, 0x09CC));
}

}  // namespace
}  // namespace vantrel
