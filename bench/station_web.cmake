# The station's web page: the server's CPU while browsers poll it.
if(TARGET mosaic_station_web)
  mosaic_add_bench(station_web_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/station_web_bench.cpp
    LIBS mosaic_station_web)
endif()
