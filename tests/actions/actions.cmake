# The dispatcher and its actions against fakes of every seam.
vireo_add_test(actions_tests SOURCES actions/ActionRunnerTest.cpp LIBS vireo_actions)
if(CMAKE_CROSSCOMPILING AND WIN32)
  include(wine/actions-wine.cmake)
endif()
