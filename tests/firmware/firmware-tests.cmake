# The firmware under simavr: one test and the stream recorder, where the firmware was built and
# simavr's library is installed.
if(TARGET vireo_firmware AND NOT CMAKE_CROSSCOMPILING)
  find_library(SIMAVR_LIBRARY simavr)
  find_path(SIMAVR_INCLUDE_DIR sim_avr.h PATH_SUFFIXES simavr)
  if(SIMAVR_LIBRARY AND SIMAVR_INCLUDE_DIR)
    add_executable(firmware_simavr firmware/FirmwareSimTest.cpp)
    add_dependencies(firmware_simavr vireo_firmware)
    target_include_directories(firmware_simavr SYSTEM PRIVATE ${SIMAVR_INCLUDE_DIR})
    target_compile_definitions(firmware_simavr PRIVATE VIREO_FIRMWARE_ELF="${VIREO_FIRMWARE_ELF}")
    target_link_libraries(firmware_simavr PRIVATE ${SIMAVR_LIBRARY} vireo_testsupport GTest::gtest_main)
    add_test(NAME firmware_simavr COMMAND firmware_simavr)
    set_tests_properties(firmware_simavr PROPERTIES LABELS unit TIMEOUT 300)
    # Not a test: records the firmware's stream for the virtual board
    # (tests/data/wine/rc5-board.stream says how).
    add_executable(vireo-board-recorder ${PROJECT_SOURCE_DIR}/tools/virtual-receiver/board-recorder.cpp)
    add_dependencies(vireo-board-recorder vireo_firmware)
    target_include_directories(vireo-board-recorder SYSTEM PRIVATE ${SIMAVR_INCLUDE_DIR})
    target_include_directories(vireo-board-recorder PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/firmware)
    target_link_libraries(vireo-board-recorder PRIVATE ${SIMAVR_LIBRARY} vireo_sim)
  endif()
endif()
