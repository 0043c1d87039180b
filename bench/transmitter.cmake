mosaic_add_bench(transmitter_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transmitter_bench.cpp
  LIBS mosaic_tx_core)

# The per-frame work of transmitter and receiver repeated, for instruction counts under qemu.
add_executable(repeated_work ${CMAKE_CURRENT_LIST_DIR}/repeated_work.cpp)
target_link_libraries(repeated_work PRIVATE mosaic_tx_core mosaic_rx_core mosaic_resampling)
target_include_directories(repeated_work PRIVATE ${PROJECT_SOURCE_DIR})
mosaic_app_warnings(repeated_work)
