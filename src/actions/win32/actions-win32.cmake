# The Win32 implementations of the actions' seams: desktop, master volume and
# shutdown.
add_library(vireo_actions_win32 STATIC
  actions/win32/Win32Desktop.cpp
  actions/win32/Win32Shutdown.cpp
  actions/win32/Win32Volume.cpp
)
target_link_libraries(vireo_actions_win32 PUBLIC vireo_actions vireo_win32 ole32 winmm shell32
                                                 advapi32 user32)
