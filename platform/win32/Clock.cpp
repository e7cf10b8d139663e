#include "platform/Clock.h"

#include <windows.h>

#include "platform/Mutex.h"

namespace platform {

int getTimeOfDay(TimeOfDay* time, TimeZone* zone) {
  if (time) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // 100-nanosecond units since 1601 into microseconds since 1970.
    std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    std::int64_t microseconds = static_cast<std::int64_t>(ticks / 10) - 11644473600000000LL;
    time->seconds = microseconds / 1000000;
    time->microseconds = static_cast<std::int32_t>(microseconds % 1000000);
  }
  if (zone) {
    static OnceFlag zoneRead;
    callOnce(zoneRead, [] { _tzset(); });
    zone->minutesWest = static_cast<std::int32_t>(_timezone / 60);
    zone->daylightSaving = _daylight;
  }
  return 0;
}

bool localTime(std::time_t time, std::tm& local) { return localtime_s(&local, &time) == 0; }

}  // namespace platform
