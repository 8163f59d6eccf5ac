#include "win/ps_reader.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// The fake system: the HID devices present, and what their reads give.
struct FakeHid {
    std::vector<HidCandidate> present;
    std::vector<std::u16string> opened;
    int open_now = 0;
    std::vector<std::vector<std::uint8_t>> reports;  // the next reads; none left: a time-out
    bool unplugged = false;
    int reads = 0;
};
FakeHid hid;

std::vector<HidCandidate> fake_enumerate() { return hid.present; }
std::optional<std::uintptr_t> fake_open(const std::u16string& path) {
    hid.opened.push_back(path);
    ++hid.open_now;
    return hid.opened.size();
}
HidRead fake_read(std::uintptr_t, std::vector<std::uint8_t>& report, std::chrono::milliseconds) {
    ++hid.reads;
    if (hid.unplugged) return HidRead::Failed;
    if (hid.reports.empty()) return HidRead::TimedOut;
    report = hid.reports.front();
    hid.reports.erase(hid.reports.begin());
    return HidRead::Report;
}
void fake_close(std::uintptr_t) { --hid.open_now; }

std::vector<std::uint8_t> usb_report(std::uint8_t face_buttons) {
    std::vector<std::uint8_t> bytes(64, 0);
    bytes[0] = 0x01;
    bytes[5] = face_buttons;
    return bytes;
}

class PsReading : public ::testing::Test {
protected:
    void SetUp() override {
        hid = {};
        hid.present = {{u"keyboard", 0x046D, 0xC31C}, {u"ds4", 0x054C, 0x09CC}, {u"dualsense", 0x054C, 0x0CE6}};
    }
    PsPad pad;
    PsReader reader{.calls = {fake_enumerate, fake_open, fake_read, fake_close}};
    Instant t0 = Clock::now();
};

TEST_F(PsReading, FirstControllerPressReleaseAndAFailedReadAsUnplugging) {
    hid.reports = {usb_report(0x20), usb_report(0x00)};
    EXPECT_FALSE(take_ps_pad(pad, t0).connected);  // a page asks
    EXPECT_EQ(ps_reader_step(reader, pad, t0), PsStep::Reading);
    EXPECT_EQ(take_ps_pad(pad, t0 + 20ms).buttons, 0x1000);  // Cross: A
    ps_reader_step(reader, pad, t0 + 20ms);
    InputSample released = take_ps_pad(pad, t0 + 40ms);
    EXPECT_TRUE(released.connected);
    EXPECT_EQ(released.buttons, 0);
    ps_reader_step(reader, pad, t0 + 40ms);  // a time-out keeps the state
    EXPECT_TRUE(take_ps_pad(pad, t0 + 60ms).connected);
    EXPECT_EQ(hid.opened, std::vector<std::u16string>{u"ds4"});  // the second one waits

    hid.unplugged = true;
    EXPECT_EQ(ps_reader_step(reader, pad, t0 + 60ms), PsStep::NoDevice);
    EXPECT_FALSE(take_ps_pad(pad, t0 + 80ms).connected);
    EXPECT_EQ(hid.open_now, 0);
    hid.unplugged = false;
    hid.present.erase(hid.present.begin() + 1);
    ps_reader_step(reader, pad, t0 + 2s);
    EXPECT_TRUE(take_ps_pad(pad, t0 + 2s).connected);
    EXPECT_EQ(hid.opened.back(), u"dualsense");
}

TEST_F(PsReading, UnaskedItReadsNothingAndKeepsOnlyWhetherAControllerIsThere) {
    EXPECT_EQ(ps_reader_step(reader, pad, t0), PsStep::Idle);  // at start-up, before any page
    EXPECT_EQ(hid.reads, 0);
    EXPECT_EQ(hid.open_now, 0);
    hid.reports = {usb_report(0x20)};
    take_ps_pad(pad, t0 + 1s);
    ps_reader_step(reader, pad, t0 + 1s);
    EXPECT_EQ(ps_reader_step(reader, pad, t0 + 3001ms), PsStep::Idle);
    EXPECT_EQ(hid.open_now, 0);
    InputSample kept = take_ps_pad(pad, t0 + 10s);
    EXPECT_TRUE(kept.connected);
    EXPECT_EQ(kept.buttons, 0);  // long released, maybe
}

}  // namespace
}  // namespace vantrel
