#include "input/any_pad.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// The fake controller library: which slots answer, and every call made.
struct FakeXInput {
    std::set<std::uint32_t> answering;
    std::uint16_t buttons = 0;
    std::vector<std::uint32_t> calls;
};
FakeXInput fake;

std::uint32_t fake_get_state(std::uint32_t slot, XInputState* state) {
    fake.calls.push_back(slot);
    if (!fake.answering.contains(slot)) return 1167;                   // ERROR_DEVICE_NOT_CONNECTED
    state->buttons = static_cast<std::uint16_t>(fake.buttons + slot);  // tells the slots apart
    return 0;
}

class PadReading : public ::testing::Test {
protected:
    void SetUp() override {
        fake = {};
        reader.get_state = fake_get_state;
    }
    XInputReader reader;
    Instant t0 = Clock::now();
};

TEST_F(PadReading, FindsSlotTwoByScanThenAsksOnlyIt) {
    fake.answering = {2};
    fake.buttons = 0x1000;
    InputSample sample = read_xinput(reader, t0);
    EXPECT_TRUE(sample.connected);
    EXPECT_EQ(sample.buttons, 0x1002);
    EXPECT_EQ(fake.calls, (std::vector<std::uint32_t>{0, 1, 2}));
    fake.calls.clear();
    read_xinput(reader, t0 + 20ms);
    read_xinput(reader, t0 + 40ms);
    EXPECT_EQ(fake.calls, (std::vector<std::uint32_t>{2, 2}));
}

TEST_F(PadReading, NoControllerScansAtMostOncePerSecond) {
    EXPECT_FALSE(read_xinput(reader, t0).connected);
    EXPECT_EQ(fake.calls.size(), 4u);
    EXPECT_FALSE(read_xinput(reader, t0 + 999ms).connected);
    EXPECT_EQ(fake.calls.size(), 4u);
    EXPECT_FALSE(read_xinput(reader, t0 + 1s).connected);
    EXPECT_EQ(fake.calls.size(), 8u);
}

TEST_F(PadReading, UnplugRescansOnlyOnceASecondHasPassed) {
    fake.answering = {0};
    read_xinput(reader, t0);  // scan finds slot 0
    fake.answering.clear();
    fake.calls.clear();
    EXPECT_FALSE(read_xinput(reader, t0 + 500ms).connected);
    EXPECT_EQ(fake.calls, (std::vector<std::uint32_t>{0}));  // the slot alone: the last scan is too recent
    fake.answering = {3};
    fake.calls.clear();
    EXPECT_FALSE(read_xinput(reader, t0 + 900ms).connected);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(read_xinput(reader, t0 + 1s).connected);
    EXPECT_EQ(fake.calls, (std::vector<std::uint32_t>{0, 1, 2, 3}));
}

TEST_F(PadReading, ActiveSlotStaysEvenWhenALowerOneAppears) {
    fake.answering = {1};
    read_xinput(reader, t0);
    fake.answering = {0, 1};
    fake.calls.clear();
    EXPECT_EQ(read_xinput(reader, t0 + 5s).buttons, 1);
    EXPECT_EQ(fake.calls, (std::vector<std::uint32_t>{1}));
}

TEST_F(PadReading, XInputComesFirstThenThePlayStationController) {
    PsPad playstation;
    playstation.latest = {true, 0x0100};
    fake.answering = {0};
    fake.buttons = 0x1000;
    EXPECT_EQ(read_any_pad(reader, playstation, t0).buttons, 0x1000);
    fake.answering.clear();
    InputSample sample = read_any_pad(reader, playstation, t0 + 2s);
    EXPECT_TRUE(sample.connected);
    EXPECT_EQ(sample.buttons, 0x0100);
}

TEST_F(PadReading, WithoutTheLibraryNothingIsConnected) {
    reader.get_state = nullptr;
    EXPECT_FALSE(read_xinput(reader, t0).connected);
    EXPECT_FALSE(read_xinput(reader, t0 + 2s).connected);
}

}  // namespace
}  // namespace vantrel
