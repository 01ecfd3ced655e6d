# Tests of the Win32 platform layer, run under Wine.
vireo_add_test(win32_tests
  SOURCES wine/Win32SerialLineTest.cpp wine/Win32ServicesTest.cpp
  LIBS vireo_win32)
