# The user interface's portable logic: the signal view's rows, hand-over,
# drawing plan and pixels, scroll bar, and caption mode.
add_library(vireo_ui STATIC
  ui/CaptionMode.cpp
  ui/RawPacketHandOver.cpp
  ui/RowHandOver.cpp
  ui/ScrollRequest.cpp
  ui/SignalPixels.cpp
  ui/SignalRows.cpp
  ui/SignalViewPlan.cpp
)
target_link_libraries(vireo_ui PUBLIC vireo_core)
