# The radio-channel simulator: the sending clock's error alone and the whole channel of
# `mosaic channel` (needs the channel library, built with the apps).
if(TARGET mosaic_channel)
  mosaic_add_bench(channel_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/channel_bench.cpp
    LIBS mosaic_channel mosaic_tx_core)
endif()
