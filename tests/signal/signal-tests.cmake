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

# The product's alignment against the plain form on random cases. The unit
# runs (Debug, Windows under Wine, ThreadSanitizer) take a small sample; the
# long run, Release only, the full count.
vireo_add_test(signal_differential
  SOURCES signal/DifferentialTest.cpp
  LIBS vireo_signal_testsupport
  ARGS --full-cases=1000 --trial-cases=20000)
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME signal_differential_long
           COMMAND signal_differential --full-cases=1000000 --trial-cases=5000000
           CONFIGURATIONS Release)
  set_tests_properties(signal_differential_long PROPERTIES LABELS "long" TIMEOUT 2400)
endif()
