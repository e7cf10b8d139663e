#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <ctime>

TEST(Clock, TimeOfDayAgreesWithTheCalendarClock) {
  const std::time_t before = std::time(nullptr);
  platform::TimeOfDay now{-1, -1};
  EXPECT_EQ(platform::getTimeOfDay(&now, nullptr), 0);
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(now.seconds, static_cast<std::int64_t>(before));
  EXPECT_LE(now.seconds, static_cast<std::int64_t>(after));
  EXPECT_GE(now.microseconds, 0);
  EXPECT_LT(now.microseconds, 1000000);
}

TEST(Clock, TimeZoneIsWithinTheWorldsOffsets) {
  platform::TimeZone zone{99999, -1};
  EXPECT_EQ(platform::getTimeOfDay(nullptr, &zone), 0);
  EXPECT_GE(zone.minutesWest, -14 * 60);
  EXPECT_LE(zone.minutesWest, 12 * 60);
  EXPECT_TRUE(zone.daylightSaving == 0 || zone.daylightSaving == 1);
}

TEST(Clock, LocalTimeRoundTripsThroughMktime) {
  for (std::time_t moment : {std::time_t{0}, std::time_t{1330765507}, std::time(nullptr)}) {
    std::tm local{};
    ASSERT_TRUE(platform::localTime(moment, local));
    EXPECT_EQ(std::mktime(&local), moment);
  }
}
