// Reception as the monitor runs it: it locks on a Mosaic TV signal through noise, fading and a
// narrow passband, and not on the same sound played at another rate.

#include "station/reception.h"
#include "tests/station/station_signals.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace mosaic::station {
namespace {

struct Heard {
  int locked = 0;           // buffers the reception was locked in
  int estimatorLocked = 0;  // buffers the estimator alone was locked in
  double leastShare = 1.0, mostShare = 0.0;
};

Heard hear(const std::vector<std::int16_t>& received) {
  Reception reception(test::monitorReception());
  Heard heard;
  for (std::size_t b = 0; (b + 1) * kCaptureSamples <= received.size(); ++b) {
    const ReceivedBuffer& r = reception.addBuffer(received.data() + b * kCaptureSamples);
    heard.locked += r.locked;
    heard.estimatorLocked += r.estimate.locked;
    if (b >= 2) {
      heard.leastShare = std::min(heard.leastShare, r.colourShare);
      heard.mostShare = std::max(heard.mostShare, r.colourShare);
    }
  }
  return heard;
}

TEST(Reception, LocksOnTheSignalThroughNoiseFadingAndAPassband) {
  const auto sent = test::sentCardThenRamps(10, 5);
  struct Case {
    const char* name;
    ChannelSettings channel;
  };
  std::vector<Case> cases;
  for (double snr : {9.0, 20.0, 40.0}) {
    ChannelSettings c;
    c.snrDb = snr;
    cases.push_back({"white noise", c});
  }
  ChannelSettings fading;
  fading.snrDb = 20.0;
  fading.fading = Fading::Moderate;
  cases.push_back({"moderate fading", fading});
  ChannelSettings narrow;
  narrow.snrDb = 20.0;
  narrow.passLowHz = 300.0;
  narrow.passHighHz = 2700.0;
  cases.push_back({"300-2700 Hz", narrow});
  for (const Case& c : cases) {
    const Heard heard = hear(test::receivedAt9600(sent, c.channel));
    std::printf("[ reception ] %s %.0f dB: colour share %.2f .. %.2f\n", c.name, *c.channel.snrDb,
                heard.leastShare, heard.mostShare);
    EXPECT_GE(heard.locked, 6) << c.name;
    EXPECT_EQ(heard.locked, heard.estimatorLocked) << c.name;
  }
}

TEST(Reception, TheSameSoundAtAnotherRateIsNoSignal) {
  const auto air = test::throughNoise(test::sentCardThenRamps(10, 10), 30.0);
  // 9600 Hz samples taken for 48000 Hz, and 48000 Hz samples taken for 9600 Hz.
  const auto at9600 = test::at9600(air);
  Resampler faster(kTxSampleRateHz, kRxSampleRateHz);
  std::vector<std::int16_t> fast;
  std::string error;
  std::vector<float> repeated;
  for (int i = 0; i < 5; ++i) repeated.insert(repeated.end(), at9600.begin(), at9600.end());
  faster.convert(repeated.data(), repeated.size(), true, fast, error);
  std::vector<std::int16_t> slow;
  for (std::size_t i = 0; i < 12 * kCaptureSamples; ++i) slow.push_back(roundToSample(air[i]));
  for (const auto* received : {&fast, &slow}) {
    const Heard heard = hear(*received);
    EXPECT_EQ(heard.locked, 0) << (received == &fast ? "five times fast" : "five times slow");
    std::printf("[ reception ] %s: estimator locked in %d buffers, colour share up to %.2f\n",
                received == &fast ? "five times fast" : "five times slow", heard.estimatorLocked,
                heard.mostShare);
  }
}

}  // namespace
}  // namespace mosaic::station
