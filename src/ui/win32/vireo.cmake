# vireo.exe: the Windows application, one statically linked program.
set(VIREO_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
find_program(VIREO_CONVERT convert REQUIRED)
set(VIREO_ICONS)
foreach(icon app lamp-green lamp-red)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/ui/icons/${icon}.mvg)
  # The application icon has a 32 x 32 and a 16 x 16 image, the lamps 16 x 16.
  if(icon STREQUAL "app")
    set(sizes 32x32 16x16)
  else()
    set(sizes 16x16)
  endif()
  set(images)
  foreach(size ${sizes})
    list(APPEND images "(" -background none mvg:${source} -resize ${size} ")")
  endforeach()
  add_custom_command(OUTPUT ${VIREO_ICON_DIR}/${icon}.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VIREO_ICON_DIR}
    COMMAND ${VIREO_CONVERT} ${images} ${VIREO_ICON_DIR}/${icon}.ico
    DEPENDS ${source} VERBATIM)
  list(APPEND VIREO_ICONS ${VIREO_ICON_DIR}/${icon}.ico)
endforeach()
set_source_files_properties(ui/win32/vireo.rc PROPERTIES
  OBJECT_DEPENDS "${VIREO_ICONS};${CMAKE_CURRENT_SOURCE_DIR}/ui/win32/vireo.manifest")

add_library(vireo_windows STATIC
  ui/win32/DialogWindow.cpp
  ui/win32/LearningWindow.cpp
  ui/win32/MainWindow.cpp
  ui/win32/SettingsWindow.cpp
  ui/win32/SignalView.cpp
)
target_link_libraries(vireo_windows PUBLIC vireo_ui vireo_learn vireo_actions_win32 comctl32 gdi32 user32)

add_executable(vireo WIN32 ui/win32/main.cpp ui/win32/vireo.rc)
target_include_directories(vireo PRIVATE ${VIREO_ICON_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/ui/win32)
target_link_libraries(vireo PRIVATE vireo_windows)
target_link_options(vireo PRIVATE -municode)

# The paint time of a full signal view, run by hand under Wine or on Windows.
add_executable(vireo-paint-bench ${PROJECT_SOURCE_DIR}/bench/win32/SignalViewPaintBench.cpp)
target_link_libraries(vireo-paint-bench PRIVATE vireo_windows)
