#include "platform/win32/Win32ClockHardware.h"

#include <windows.h>

namespace vireo {

void Win32ClockHardware::Sleep(std::int32_t ms) {
  // A negative pause would turn into a wait of some 49 days.
  ::Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
}

// A failed read leaves 0, so two failed reads compare equal and the source
// reads as unavailable.
std::int64_t Win32ClockHardware::HighLevelCount() {
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  return count.QuadPart;
}

std::int64_t Win32ClockHardware::HighLevelFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

std::int64_t Win32ClockHardware::LowLevelCount() {
  // One asm statement, so that the compiler cannot move the counter read
  // ahead of the serialising CPUID; both halves come from that one read.
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  __asm__ __volatile__(
      "cpuid\n\t"
      "rdtsc"
      : "=a"(low), "=d"(high)
      : "a"(0)
      : "rbx", "rcx", "memory");
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

}  // namespace vireo
