# Signal frames, alignment and code texts, and the USB receiver board's stream.
add_library(vireo_signal STATIC
  signal/Alignment.cpp
  signal/BoardStream.cpp
  signal/CodeText.cpp
  signal/FramePair.cpp
  signal/PeriodCode.cpp
  signal/RawPacket.cpp
  signal/SignalFrame.cpp
)
target_include_directories(vireo_signal PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
