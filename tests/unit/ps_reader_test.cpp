#include "input/ps_reader.h"
#include "server/input_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// The fake system: the HID devices present, and what their reads give.
struct FakeHid final : HidSystem {
    struct Device final : HidDevice {
        explicit Device(FakeHid& hid) : hid(hid) { ++hid.open_now; }
        ~Device() override { --hid.open_now; }
        HidRead read(std::vector<std::uint8_t>& report, std::chrono::milliseconds) override {
            if (hid.unplugged) return HidRead::Failed;
            if (hid.reports.empty()) {
                std::this_thread::sleep_for(1ms);  // a real read waits for its slice
                return HidRead::TimedOut;
            }
            report = hid.reports.front();
            hid.reports.erase(hid.reports.begin());
            return HidRead::Report;
        }
        FakeHid& hid;
    };
    std::vector<HidCandidate> enumerate() override { return present; }
    std::unique_ptr<HidDevice> open(const std::u16string& path) override {
        opened.push_back(path);
        return std::make_unique<Device>(*this);
    }

    std::vector<HidCandidate> present;
    std::vector<std::u16string> opened;
    std::atomic<int> open_now = 0;                   // watched while the reader runs on a thread
    std::vector<std::vector<std::uint8_t>> reports;  // the next reads; none left: a time-out
    bool unplugged = false;
};

std::vector<std::uint8_t> usb_report(std::uint8_t face_buttons) {
    std::vector<std::uint8_t> bytes(64, 0);
    bytes[0] = 0x01;
    bytes[5] = face_buttons;
    return bytes;
}

class PsReading : public ::testing::Test {
protected:
    void SetUp() override {
        hid.present = {{u"keyboard", 0x046D, 0xC31C}, {u"ds4", 0x054C, 0x09CC}, {u"dualsense", 0x054C, 0x0CE6}};
    }
    FakeHid hid;
    PsPad pad;
    PsReader reader{.system = hid};
    Instant t0 = Clock::now();
};

TEST_F(PsReading, FirstControllerPressReleaseAndAFailedReadAsUnplugging) {
    EXPECT_FALSE(ask_ps_pad(pad, t0).connected);  // a page asks
    EXPECT_EQ(ps_reader_step(reader, pad, t0), PsStep::Reading);
    EXPECT_FALSE(ask_ps_pad(pad, t0 + 10ms).connected);      // opened, but no report has said so yet
    hid.reports = {usb_report(0x20), {}, usb_report(0x00)};  // a zero-byte read is no unplug
    ps_reader_step(reader, pad, t0 + 10ms);
    EXPECT_EQ(ask_ps_pad(pad, t0 + 20ms).buttons, BUTTON_A);               // Cross
    EXPECT_EQ(ps_reader_step(reader, pad, t0 + 20ms), PsStep::EmptyRead);  // paused after, never spun
    EXPECT_TRUE(ask_ps_pad(pad, t0 + 30ms).connected);
    ps_reader_step(reader, pad, t0 + 30ms);
    InputSample released = ask_ps_pad(pad, t0 + 40ms);
    EXPECT_TRUE(released.connected);
    EXPECT_EQ(released.buttons, 0);
    ps_reader_step(reader, pad, t0 + 40ms);  // a time-out keeps the state
    EXPECT_TRUE(ask_ps_pad(pad, t0 + 60ms).connected);
    EXPECT_EQ(hid.opened, std::vector<std::u16string>{u"ds4"});  // the second one waits

    hid.unplugged = true;
    EXPECT_EQ(ps_reader_step(reader, pad, t0 + 60ms), PsStep::NoDevice);
    EXPECT_FALSE(ask_ps_pad(pad, t0 + 80ms).connected);
    EXPECT_EQ(hid.open_now, 0);
    hid.unplugged = false;
    hid.present.erase(hid.present.begin() + 1);
    hid.reports = {usb_report(0x00)};
    ps_reader_step(reader, pad, t0 + 2s);
    EXPECT_TRUE(ask_ps_pad(pad, t0 + 2s).connected);
    EXPECT_EQ(hid.opened.back(), u"dualsense");
}

TEST_F(PsReading, UnaskedItReadsNothingAndKeepsOnlyWhetherAControllerIsThereByItsIds) {
    EXPECT_EQ(ps_reader_step(reader, pad, t0), PsStep::Idle);  // at start-up, before any page
    EXPECT_TRUE(hid.opened.empty());
    hid.reports = {usb_report(0x20)};
    ask_ps_pad(pad, t0 + 1s);
    ps_reader_step(reader, pad, t0 + 1s);
    EXPECT_EQ(ps_reader_step(reader, pad, t0 + 3001ms), PsStep::Idle);
    EXPECT_EQ(hid.open_now, 0);
    EXPECT_EQ(hid.opened.size(), 1u);
    InputSample kept = ask_ps_pad(pad, t0 + 10s);
    EXPECT_TRUE(kept.connected);
    EXPECT_EQ(kept.buttons, 0);                    // long released, maybe
    hid.present = {{u"adapter", 0x054C, 0x0BA0}};  // its ids say nothing of a controller
    ps_reader_step(reader, pad, t0 + 20s);
    EXPECT_FALSE(ask_ps_pad(pad, t0 + 20s).connected);
}

// The page's clock says the reader is still awake; the reader's clock said
// it was idle and it went to sleep. The ask must wake it all the same.
TEST_F(PsReading, AnAskAtTheEdgeOfTheIdleDelayWakesTheSleepingReader) {
    static std::atomic<Instant> reader_now;
    reader_now = t0;
    ask_ps_pad(pad, t0);
    std::thread thread([&] { ps_reader_loop(pad, hid, [] { return reader_now.load(); }); });
    auto until = [](auto condition) {
        for (auto end = Clock::now() + 5s; !condition() && Clock::now() < end;) std::this_thread::sleep_for(1ms);
        return condition();
    };
    EXPECT_TRUE(until([&] { return hid.open_now == 1; }));
    reader_now = t0 + PS_IDLE_AFTER + 1ms;
    EXPECT_TRUE(until([&] {
        std::lock_guard lock(pad.lock);
        return pad.asleep;
    }));
    ask_ps_pad(pad, t0 + PS_IDLE_AFTER - 1ms);
    EXPECT_TRUE(until([&] { return hid.open_now == 1; })) << "reader never woke";
    stop_ps_reader(pad);
    thread.join();
    EXPECT_EQ(hid.open_now, 0);
}

}  // namespace
}  // namespace vantrel
