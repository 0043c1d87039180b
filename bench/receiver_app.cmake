# The receiver window's drawing per buffer: each view at several window sizes.
if(TARGET mosaicview_ui)
  mosaic_add_bench(receiver_app_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/receiver_app_bench.cpp
    LIBS mosaicview_ui mosaic_tx_core)
endif()
