#include "platform/win32/Win32WallClock.h"

#include <windows.h>

namespace vireo {

void Win32WallClock::StampTime(WallStamp& stamp) {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  stamp.year = now.wYear;
  stamp.month = now.wMonth;
  stamp.dayOfWeek = now.wDayOfWeek;
  stamp.day = now.wDay;
  stamp.hour = now.wHour;
  stamp.minute = now.wMinute;
  stamp.second = now.wSecond;
  stamp.milliseconds = now.wMilliseconds;
}

}  // namespace vireo
