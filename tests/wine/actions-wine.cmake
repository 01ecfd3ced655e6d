# The actions on Windows, with a target program whose windows they reach.
add_executable(window_target wine/WindowTarget.cpp)
vireo_add_test(win32_action_tests SOURCES wine/ActionsWineTest.cpp LIBS vireo_actions_win32)
add_dependencies(win32_action_tests window_target)
# Wine moves the pointer only for the process whose window is in front, which
# another Wine program starting on the same display may take: run alone.
if(TEST win32_action_tests)
  set_tests_properties(win32_action_tests PROPERTIES RUN_SERIAL TRUE)
endif()
