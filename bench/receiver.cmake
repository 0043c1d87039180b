# The receiver's signal chain: one buffer's demodulation and one picture reconstruction.
mosaic_add_bench(receiver_bench
  SOURCES receiver_chain_bench.cpp
  LIBS mosaic_rx_core)
