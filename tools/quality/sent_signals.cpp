#include "tools/quality/sent_signals.h"

#include "channel/channel_model.h"
#include "signal/timing.h"
#include "tools/decode_recording.h"
#include "tools/quality/parallel_for.h"
#include "tools/quality/sample_pictures.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <string>

namespace mosaic::tool {

namespace {

std::vector<float> withLead(const std::vector<float>& signal, int lead) {
  std::vector<float> out(static_cast<std::size_t>(lead), 0.0f);
  out.insert(out.end(), signal.begin(), signal.end());
  return out;
}

}  // namespace

std::vector<SweepPicture> sweepPictures() {
  return {
      {"test card", drawTestCard()}, {"landscape", drawLandscape()}, {"portrait", drawPortrait()}};
}

std::vector<std::int16_t> transmitted(const QImage& picture, int frames) {
  // As the transmitter sends it: the picture in the video area, the marker frame drawn, the
  // crawl off as at start-up.
  ComposedVideoArea area;
  area.setSourcePicture(picture);
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> sent(static_cast<std::size_t>(frames) * kFrameSamples);
  for (int f = 0; f < frames; ++f)
    buildComposedFrame(chain, area, crawl, std::string(), sent.data() + f * kFrameSamples);
  return sent;
}

std::vector<std::int16_t> resampledTo9600(const std::vector<float>& at48000) {
  std::vector<std::int16_t> at9600;
  Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
  std::string error;
  resampler.convert(at48000.data(), at48000.size(), true, at9600, error);
  return at9600;
}

std::vector<float> transmittedAt9600(const QImage& picture, int frames) {
  const std::vector<std::int16_t> sent = transmitted(picture, frames);
  const std::vector<std::int16_t> at9600 = resampledTo9600({sent.begin(), sent.end()});
  return {at9600.begin(), at9600.end()};
}

SentSignals::SentSignals(const std::vector<SweepPicture>& pictures, int frames,
                         const std::vector<double>& clockPpms, int threads) {
  for (const SweepPicture& p : pictures) sent_.push_back(transmittedAt9600(p.picture, frames));

  std::vector<Key> keys;
  for (int p = 0; p < this->pictures(); ++p)
    for (int lead : kLeads) {
      keys.push_back({p, lead, 0.0});
      for (double ppm : clockPpms)
        if (ppm != 0.0) keys.push_back({p, lead, ppm});
    }
  for (const Key& k : keys) {
    signals_[k];
    if (k.clockPpm == 0.0) perfect_[k];
  }
  // A clock error is the same for every trial: it is applied once per picture here and the
  // channel of the trials has none. Silence before the signal barely changes its effect.
  std::map<Key, std::vector<float>> clocked;
  for (int p = 0; p < this->pictures(); ++p)
    for (double ppm : clockPpms)
      if (ppm != 0.0) clocked[{p, 0, ppm}];
  std::vector<Key> clockedKeys;
  for (const auto& [k, v] : clocked) clockedKeys.push_back(k);
  parallelFor(clockedKeys.size(), threads, [&](std::size_t i) {
    const Key& k = clockedKeys[i];
    clocked[k] = clockError(sent_[static_cast<std::size_t>(k.picture)], k.clockPpm);
  });

  parallelFor(keys.size(), threads, [&](std::size_t i) {
    const Key& k = keys[i];
    const auto& source = k.clockPpm == 0.0 ? sent_[static_cast<std::size_t>(k.picture)]
                                           : clocked.at({k.picture, 0, k.clockPpm});
    signals_.at(k) = withLead(source, k.lead);
    if (k.clockPpm == 0.0)
      perfect_.at(k) = decodeRuns(toSamples(signals_.at(k)), sweepReceiverSettings());
  });
  for (int p = 0; p < this->pictures(); ++p) {
    perfectPictures_.emplace_back();
    decodingError(toSamples(signal(p, 0, 0.0)), perfect(p, 0), sweepReceiverSettings(),
                  &perfectPictures_.back());
  }
}

const std::vector<float>& SentSignals::signal(int picture, int lead, double clockPpm) const {
  return signals_.at({picture, lead, clockPpm});
}

const RunList& SentSignals::perfect(int picture, int lead) const {
  return perfect_.at({picture, lead, 0.0});
}

}  // namespace mosaic::tool
