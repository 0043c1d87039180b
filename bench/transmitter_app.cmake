mosaic_add_bench(transmitter_app_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transmitter_app_bench.cpp
  LIBS mosaiccast_video)
