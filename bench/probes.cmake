# Looks at the real programs for a person: screenshots and time per buffer, written and printed,
# never asserted. Built only on request:
#   cmake --build BUILD --target mosaicview_probe mosaiccast_screenshots transmission_probe
add_executable(mosaicview_probe EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/probes/mosaicview_probe.cpp)
target_link_libraries(mosaicview_probe PRIVATE mosaicview_ui)
target_include_directories(mosaicview_probe PRIVATE ${PROJECT_SOURCE_DIR})
mosaic_app_warnings(mosaicview_probe)

add_executable(mosaiccast_screenshots EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/probes/mosaiccast_screenshots.cpp)
target_link_libraries(mosaiccast_screenshots PRIVATE mosaiccast_ui)
target_include_directories(mosaiccast_screenshots PRIVATE ${PROJECT_SOURCE_DIR})
mosaic_app_warnings(mosaiccast_screenshots)

# The transmitter stepping a large generated video on the real sound device: gaps on the air and
# the time from a buffer's end of play to the grab.
add_executable(transmission_probe EXCLUDE_FROM_ALL
  ${CMAKE_CURRENT_LIST_DIR}/probes/transmission_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/probes/lavfi_video.cpp)
target_link_libraries(transmission_probe PRIVATE mosaiccast_ui PkgConfig::FFMPEG)
target_include_directories(transmission_probe PRIVATE ${PROJECT_SOURCE_DIR})
mosaic_app_warnings(transmission_probe)
