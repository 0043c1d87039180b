#pragma once
// Received signals for the station's tests: still pictures, a change from one to another, a
// moving picture and a running crawl line, through white noise, at 48000 Hz as a network sender
// has them and at 9600 Hz as the station receives them.

#include "station/reception.h"
#include "tests/support/air_signal.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic::test {

// Reception as the monitor runs it: tuned automatically, colour balance 0.
inline station::ReceptionSettings monitorReception() {
  station::ReceptionSettings settings;
  settings.demod.balance = 0;
  return settings;
}

// The test card for `firstFrames` frames, then the grey ramps; a third of a frame in.
inline std::vector<float> sentCardThenRamps(int frames, int firstFrames,
                                            const std::string& crawlText = {}) {
  return sentPictures(
      frames, kFrameSamples / 3, [=](int f) { return f < firstFrames ? testCard() : rampBands(); },
      nullptr, crawlText);
}

// The transmitter's sound through white noise at `snrDb` in 3000 Hz, at 48000 Hz.
inline std::vector<float> throughNoise(const std::vector<float>& sent, double snrDb,
                                       std::uint64_t seed = 7) {
  ChannelSettings channel;
  channel.snrDb = snrDb;
  channel.seed = seed;
  return applyChannel(sent, kTxSampleRateHz, channel);
}

// The same at the receiver's 9600 Hz.
inline std::vector<std::int16_t> at9600(const std::vector<float>& at48000) {
  Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
  std::vector<std::int16_t> out;
  std::string error;
  resampler.convert(at48000.data(), at48000.size(), true, out, error);
  return out;
}

}  // namespace mosaic::test
