// One part of the per-frame work done a given number of times, and nothing else, for counting
// the instructions it takes on another processor (packaging/arm64/count_work.sh): the count of
// a run with more repetitions less that of a run with fewer, divided by the difference, is the
// work of one frame or buffer without the program's start-up.
//
//   repeated_work synthesis|phase-chain|carrier-sum|receiver|receiver-window|resample-48000 N

#include "receiver/core/receiver_engine.h"
#include "resampling/resampler.h"
#include "transmitter/core/carrier_sum.h"
#include "transmitter/core/frame_synthesizer.h"
#include "transmitter/core/grab_reduction.h"
#include "transmitter/core/phase_chain.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace mosaic;

// The planes of a picture of random pixels, whose values change from every column to the next.
std::unique_ptr<PicturePlanes> randomPlanes() {
  auto grab = std::make_unique<GrabBitmap>();
  std::mt19937 rng(1);
  for (auto& b : grab->bits) b = static_cast<std::uint8_t>(rng());
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*grab, *planes);
  return planes;
}

// A frame of the transmitter's sound for `planes`, at `rate`.
std::vector<float> frameSound(const PicturePlanes& planes, int rate) {
  FrameSynthesizer synth;
  std::vector<std::int16_t> frame(kFrameSamples);
  synth.synthesize(planes, frame.data());
  std::vector<float> sound(frame.begin(), frame.end());
  if (rate == kTxSampleRateHz) return sound;
  std::vector<float> out;
  std::string error;
  Resampler(kTxSampleRateHz, rate).convert(sound.data(), sound.size(), true, out, error);
  return out;
}

std::uint32_t synthesis(int n) {
  const auto planes = randomPlanes();
  FrameSynthesizer synth;
  std::vector<std::int16_t> frame(kFrameSamples);
  std::uint32_t check = 0;
  for (int i = 0; i < n; ++i) {
    synth.synthesize(*planes, frame.data());
    check += static_cast<std::uint16_t>(frame[static_cast<std::size_t>(i % kFrameSamples)]);
  }
  return check;
}

// The accumulator over one frame's symbols, as the synthesis runs it.
std::uint32_t phaseChain(int n) {
  const auto planes = randomPlanes();
  std::vector<Extended> increments;
  for (int k : generationOrder())
    for (int s = 0; s < kSymbolsPerFrame; ++s)
      increments.push_back(phaseIncrement(carrierStepFrequency(*planes, k, s)));
  std::vector<float> out(kStepsPerSymbol);
  float phase = 0.0f;
  for (int i = 0; i < n; ++i)
    for (const Extended& inc : increments) advancePhase(phase, inc, kStepsPerSymbol, out.data());
  return static_cast<std::uint32_t>(phase * 1e6f);
}

// The 49 carriers' sines and roundings of one frame.
std::uint32_t carrierSum(int n) {
  std::vector<float> phase(kStepsPerFrame);
  float p = 0.0f;
  advancePhase(p, phaseIncrement(1700), kStepsPerFrame, phase.data());
  std::vector<std::int32_t> acc(kStepsPerFrame);
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < kCarrierCount; ++k) addCarrier(phase.data(), kStepsPerFrame, acc.data());
  return static_cast<std::uint32_t>(acc[12345]);
}

// The receiver engine fed the same picture's buffers.
std::uint32_t receiver(int n, const EngineSettings& settings) {
  const std::vector<float> sound = frameSound(*randomPlanes(), kRxSampleRateHz);
  std::vector<std::int16_t> buffer(kCaptureSamples);
  for (int i = 0; i < kCaptureSamples; ++i)
    buffer[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(sound[i]));
  auto engine = std::make_unique<ReceiverEngine>(settings);
  for (int i = 0; i < n; ++i) engine->onBufferComplete(buffer.data());
  std::uint32_t check = 0;
  for (std::uint8_t b : engine->bitmap().bytes) check = 31 * check + b;
  return check;
}

// A frame at 48000 Hz brought to the receiver's 9600 Hz, one buffer's worth at a time.
std::uint32_t resample48000(int n) {
  const std::vector<float> sound = frameSound(*randomPlanes(), kTxSampleRateHz);
  Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
  std::vector<std::int16_t> out;
  std::string error;
  std::uint32_t check = 0;
  for (int i = 0; i < n; ++i) {
    out.clear();
    resampler.convert(sound.data(), sound.size(), false, out, error);
    if (!out.empty()) check += static_cast<std::uint16_t>(out.back());
  }
  return check;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string part = argc == 3 ? argv[1] : "";
  int n = argc == 3 ? std::atoi(argv[2]) : -1;
  std::uint32_t check = 0;
  EngineSettings window;
  window.tuningAid = true;
  window.alignedScale = 3;
  window.measureSnr = true;
  if (n < 0) {
    // the usage below
  } else if (part == "synthesis") {
    check = synthesis(n);
  } else if (part == "phase-chain") {
    check = phaseChain(n);
  } else if (part == "carrier-sum") {
    check = carrierSum(n);
  } else if (part == "receiver") {
    check = receiver(n, pictureSettings(DemodSettings{}));
  } else if (part == "receiver-window") {
    check = receiver(n, window);
  } else if (part == "resample-48000") {
    check = resample48000(n);
  } else {
    n = -1;
  }
  if (n < 0) {
    std::fprintf(stderr,
                 "usage: repeated_work synthesis|phase-chain|carrier-sum|receiver|"
                 "receiver-window|resample-48000 N\n");
    return 2;
  }
  std::printf("%s x %d: check %u\n", part.c_str(), n, check);
  return 0;
}
