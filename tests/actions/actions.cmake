# The dispatcher and its actions against fakes of every seam.
vireo_add_test(actions_tests SOURCES actions/ActionRunnerTest.cpp LIBS vireo_actions)
