# Tests of the Win32 platform layer, run under Wine.
vireo_add_test(win32_tests
  SOURCES wine/Win32SerialLineTest.cpp wine/Win32ServicesTest.cpp
  LIBS vireo_win32)

# The serial line through Wine's real serial driver, on a pseudo-terminal
# mapped to a COM port of a prefix of its own (the test restarts that
# prefix's server). The program only runs under serial-pty-test.sh.
add_executable(serial_pty_tests wine/SerialPtyTest.cpp)
target_link_libraries(serial_pty_tests PRIVATE vireo_win32 GTest::gtest_main)
add_test(NAME serial_pty
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/serial-pty-test.sh
    ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine-serial
    $<TARGET_FILE:serial_pty_tests> ${CMAKE_CURRENT_SOURCE_DIR}/wine
    ${CMAKE_CURRENT_BINARY_DIR}/serial-pty)
set_tests_properties(serial_pty PROPERTIES LABELS "wine;serial" TIMEOUT 600)
