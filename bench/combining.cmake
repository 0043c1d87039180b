# The frame combiner: its cost per buffer, and what combining gives through the whole system
# (needs the tool's library, built with the apps). Both print figures, never assert them.
mosaic_add_bench(combiner_bench
  SOURCES combiner_bench.cpp
  LIBS mosaic_rx_core mosaic_tx_core)

if(TARGET mosaic_tool_lib)
  add_executable(combining_figures
    combining_figures/main.cpp
    combining_figures/figures.cpp
    combining_figures/usable.cpp
    combining_figures/changes.cpp
    combining_figures/crawl.cpp
    combining_figures/lock.cpp
    combining_figures/pictures.cpp)
  target_link_libraries(combining_figures PRIVATE mosaic_tool_lib mosaicview_picture)
  target_include_directories(combining_figures PRIVATE ${PROJECT_SOURCE_DIR})
  mosaic_app_warnings(combining_figures)
endif()
