# The transmitter running on the real sound device with a large video file: gaps on the air and
# the latency of the grab. A program that prints figures, built with the apps.
if(TARGET mosaiccast_ui)
  add_executable(transmission_probe
    ${CMAKE_CURRENT_LIST_DIR}/transmission_probe.cpp ${CMAKE_CURRENT_LIST_DIR}/lavfi_video.cpp)
  target_link_libraries(transmission_probe PRIVATE mosaiccast_ui PkgConfig::FFMPEG)
  target_include_directories(transmission_probe PRIVATE ${PROJECT_SOURCE_DIR})
  mosaic_app_warnings(transmission_probe)
endif()
