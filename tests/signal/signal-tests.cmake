# Tests of the signal frames, alignment and code texts.

# Builders, fakes and the plain alignment, shared with the benchmark.
add_library(vireo_signal_testsupport STATIC
  signal/ReferenceAlignment.cpp
  signal/SignalTestSupport.cpp
)
target_include_directories(vireo_signal_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/signal)
target_link_libraries(vireo_signal_testsupport PUBLIC vireo_signal)

vireo_add_test(signal_tests
  SOURCES signal/SignalFrameTest.cpp signal/AlignmentTest.cpp signal/CodeTextTest.cpp
          signal/FramePairTest.cpp
  LIBS vireo_signal_testsupport)
