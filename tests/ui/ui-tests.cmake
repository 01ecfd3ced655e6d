# The user interface's portable logic.
vireo_add_test(ui_tests SOURCES ui/UiLogicTest.cpp LIBS vireo_ui)
