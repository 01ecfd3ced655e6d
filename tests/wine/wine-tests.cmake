# Tests of the Win32 platform layer, run under Wine.
vireo_add_test(win32_tests
  SOURCES wine/Win32SerialLineTest.cpp wine/Win32ServicesTest.cpp
  LIBS vireo_win32)

# vireo.exe end to end: the real serial driver on a pseudo-terminal with the
# virtual receiver, real windows driven by the robot, in a prefix and a
# virtual display of its own. Alone, since it plays the receiver in real time.
add_test(NAME end_to_end
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/end-to-end.sh $<TARGET_FILE:vireo>
    $<TARGET_FILE:vireo-robot> ${CMAKE_CURRENT_BINARY_DIR}/end-to-end)
set_tests_properties(end_to_end PROPERTIES LABELS "wine;e2e" TIMEOUT 600 RUN_SERIAL TRUE)

# The learning window: three buttons from the virtual receiver, learned into
# VIREO.INI and then run.
add_test(NAME learn_from_receiver
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/learn-from-receiver.sh $<TARGET_FILE:vireo>
    $<TARGET_FILE:vireo-robot> ${CMAKE_CURRENT_BINARY_DIR}/learn-from-receiver)
set_tests_properties(learn_from_receiver PROPERTIES LABELS "wine;e2e" TIMEOUT 400 RUN_SERIAL TRUE)

# The receiver board on USB: the virtual board plays the firmware's stream.
add_test(NAME usb_receiver_end_to_end
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/usb-receiver-end-to-end.sh $<TARGET_FILE:vireo>
    $<TARGET_FILE:vireo-robot> ${CMAKE_CURRENT_BINARY_DIR}/usb-receiver-end-to-end)
set_tests_properties(usb_receiver_end_to_end PROPERTIES LABELS "wine;e2e" TIMEOUT 240 RUN_SERIAL TRUE)

# The tools' output in a console and redirected.
add_test(NAME console_tools
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/console-tools.sh
    ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine
    $<TARGET_FILE:vireo-replay> $<TARGET_FILE:vireo-learn> ${PROJECT_SOURCE_DIR})
set_tests_properties(console_tools PROPERTIES LABELS "wine" TIMEOUT 300)
