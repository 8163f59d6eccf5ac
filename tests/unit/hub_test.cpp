#include "server/hub.h"
#include "server/routes.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

TEST(IdleTest, NeverSeenMeasuresStrictlyMoreThanNinetySecondsFromStart) {
    Instant start = Clock::now();
    auto hub = std::make_shared<HubState>(start);
    EXPECT_FALSE(is_idle(*hub, start + 90s));
    EXPECT_TRUE(is_idle(*hub, start + 90s + 1ns));
    EXPECT_FALSE(is_idle(*hub, start - 1s));  // a clock reading before the start counts as zero
}

TEST(IdleTest, SeenMeasuresStrictlyMoreThanTwentySecondsFromLastSeen) {
    Instant start = Clock::now();
    auto hub = std::make_shared<HubState>(start);
    stamp_last_seen(*hub, start + 100s);
    EXPECT_FALSE(is_idle(*hub, start + 120s));
    EXPECT_TRUE(is_idle(*hub, start + 120s + 1ns));
}

TEST(IdleTest, NeverIdleWhileSomebodyIsSubscribed) {
    Instant start = Clock::now();
    auto hub = std::make_shared<HubState>(start);
    add_subscriber(*hub, Subscriber{.id = 7});
    EXPECT_FALSE(is_idle(*hub, start + 1000s));
    EXPECT_EQ(subscriber_count(*hub), 1u);
}

TEST(RemoveSubscriber, RemovesByIdAndKeepsOrder) {
    auto hub = std::make_shared<HubState>(Clock::now());
    for (std::uint64_t id : {1, 2, 3}) add_subscriber(*hub, Subscriber{.id = id});
    remove_subscriber(*hub, 2);
    remove_subscriber(*hub, 42);
    ASSERT_EQ(hub->subscribers.size(), 2u);
    EXPECT_EQ(hub->subscribers[0].id, 1u);
    EXPECT_EQ(hub->subscribers[1].id, 3u);
}

TEST(Origins, OnlyExactAllowedOriginsPass) {
    for (const char* allowed : {"https://zendry.gg", "http://localhost:3000", "http://127.0.0.1:3000"})
        EXPECT_TRUE(origin_allowed(std::string(allowed))) << allowed;
    for (const char* refused :
         {"https://zendry.gg/", "https://Zendry.gg", "HTTPS://zendry.gg", "http://zendry.gg", "https://zendry.gg:443",
          "http://localhost:3001", "http://localhost", "http://LOCALHOST:3000", "http://127.0.0.1:3000/",
          "https://localhost:3000", "null", "", " http://localhost:3000"})
        EXPECT_FALSE(origin_allowed(std::string(refused))) << refused;
    EXPECT_FALSE(origin_allowed(std::nullopt));
}

}  // namespace
}  // namespace vantrel
