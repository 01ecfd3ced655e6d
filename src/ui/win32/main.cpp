// Vireo: the application runs its main window modally and ends with it.
#include <windows.h>
// Needs windows.h first.
#include <commctrl.h>

#include <memory>

#include "ui/win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The engine's frames are large: the window lives on the heap.
  auto window = std::make_unique<vireo::MainWindow>();
  window->Run();
  return 0;
}
