#pragma once
// Wall-clock time: the trace's time stamps and the statement's query timer.
#include <cstdint>
#include <ctime>

namespace platform {

struct TimeOfDay {
  std::int64_t seconds;  // since 1970-01-01 UTC; 64 bits so that the clock outlives 2038
  std::int32_t microseconds;
};

struct TimeZone {
  std::int32_t minutesWest;  // of UTC
  std::int32_t daylightSaving;
};

// Fills whichever record is given; always answers 0.
int getTimeOfDay(TimeOfDay* time, TimeZone* zone);

// The calendar time broken down in the local time zone; false when it cannot be converted.
bool localTime(std::time_t time, std::tm& local);

}  // namespace platform
