# The actions on Windows, with a target program whose windows they reach.
add_executable(window_target wine/WindowTarget.cpp)
vireo_add_test(win32_action_tests SOURCES wine/ActionsWineTest.cpp LIBS vireo_actions_win32)
add_dependencies(win32_action_tests window_target)
