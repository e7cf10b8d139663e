#include "platform/Clock.h"

#include <sys/time.h>

#include "platform/Mutex.h"

namespace platform {

int getTimeOfDay(TimeOfDay* time, TimeZone* zone) {
  if (time) {
    timeval now{};
    gettimeofday(&now, nullptr);
    time->seconds = now.tv_sec;
    time->microseconds = static_cast<std::int32_t>(now.tv_usec);
  }
  if (zone) {
    static OnceFlag zoneRead;
    callOnce(zoneRead, [] { tzset(); });
    zone->minutesWest = static_cast<std::int32_t>(timezone / 60);
    zone->daylightSaving = daylight;
  }
  return 0;
}

bool localTime(std::time_t time, std::tm& local) { return localtime_r(&time, &local) != nullptr; }

}  // namespace platform
