mosaic_add_bench(transmitter_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transmitter_bench.cpp
  LIBS mosaic_tx_core)
