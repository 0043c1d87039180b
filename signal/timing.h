#pragma once
// Timing of the Mosaic TV signal at the transmitter (48000 Hz) and at the receiver (9600 Hz).

namespace mosaic {

// Transmitter side [samples at 48000 Hz].
inline constexpr int kTxSampleRateHz = 48000;
inline constexpr int kFrameSamples = 61440;  // 1.28 s, one picture
inline constexpr int kSymbolSamples = 1280;  // 1 / 37.5 s, one picture column
inline constexpr int kSymbolsPerFrame = 49;  // symbols 0..48; 0 and 48 are half symbols
inline constexpr int kStepsPerFrame =
    kFrameSamples / 2;  // each synthesis step makes a pair of equal samples
inline constexpr int kStepsPerSymbol = kSymbolSamples / 2;

// Receiver side [samples at 9600 Hz].
inline constexpr int kRxSampleRateHz = 9600;
inline constexpr int kCaptureSamples = 12288;                // one capture buffer, 1.28 s
inline constexpr int kHistorySamples = 2 * kCaptureSamples;  // previous buffer + newest buffer
inline constexpr int kBlockSamples = 256;                    // one symbol, also the transform size
inline constexpr int kBlocksPerRun = kHistorySamples / kBlockSamples;  // 96
static_assert(kBlocksPerRun == 96 && kHistorySamples % kBlockSamples == 0);
static_assert(kStepsPerFrame == 30720);

// The symbol (0..48) of the synthesis step that produces samples n - 1 and n, n odd.
// Symbol s is centred on sample 1280 s; n / 1280 is never a tie because n is odd.
constexpr int symbolOfOddSample(int n) { return (n + kSymbolSamples / 2) / kSymbolSamples; }

}  // namespace mosaic
