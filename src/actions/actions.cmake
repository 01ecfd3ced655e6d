# The action dispatcher and the actions, portable behind their seams.
add_library(vireo_actions STATIC
  actions/ActionRunner.cpp
  actions/MasterVolume.cpp
  actions/ShutdownCountdown.cpp
  actions/WindowActions.cpp
)
target_link_libraries(vireo_actions PUBLIC vireo_core)
