# The Win32 implementations of the platform seams.
add_library(vireo_win32 STATIC
  platform/win32/CommApi.cpp
  platform/win32/Cp1251.cpp
  platform/win32/Win32BytePort.cpp
  platform/win32/Win32ClockHardware.cpp
  platform/win32/Win32ProcessControl.cpp
  platform/win32/Win32SerialLine.cpp
  platform/win32/Win32WallClock.cpp
)
target_link_libraries(vireo_win32 PUBLIC vireo_core)
