# The receiver's signal chain: one buffer's demodulation and one picture reconstruction.
mosaic_add_bench(receiver_bench
  SOURCES receiver_chain_bench.cpp
  LIBS mosaic_rx_core)

# Decoding a recording as `mosaic decode` does (needs the tool's library, built with the apps).
if(TARGET mosaic_tool_lib)
  mosaic_add_bench(receiver_decode_bench
    SOURCES receiver_decode_bench.cpp
    LIBS mosaic_tool_lib)
endif()

# The tuning aid: offset estimator and display spectrum per capture buffer.
mosaic_add_bench(tuning_bench
  SOURCES tuning_bench.cpp
  LIBS mosaic_rx_core mosaic_tx_core)
