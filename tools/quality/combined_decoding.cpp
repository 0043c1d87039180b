#include "tools/quality/combined_decoding.h"

#include "receiver/app/picture_image.h"
#include "receiver/core/combining/frame_cells.h"
#include "signal/timing.h"
#include "tools/quality/parallel_for.h"

#include <algorithm>
#include <memory>

namespace mosaic::tool {

namespace {

CombiningSettings combiningOver(int frames) {
  CombiningSettings combining;
  combining.on = true;
  combining.frames = frames;
  return combining;
}

std::vector<float> withLead(const std::vector<float>& signal, int lead) {
  std::vector<float> out(static_cast<std::size_t>(lead), 0.0f);
  out.insert(out.end(), signal.begin(), signal.end());
  return out;
}

// The newest frame of a run: symbols 48..95.
std::span<const std::uint8_t> newerHalf(const std::vector<std::uint8_t>& run) {
  constexpr std::size_t kHalf = static_cast<std::size_t>(kFramePositions) * kBytesPerSymbol;
  return std::span<const std::uint8_t>(run).subspan(kHalf - kBytesPerSymbol, kHalf);
}

}  // namespace

void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining,
                    const std::function<void(const ReceiverEngine&)>& afterBuffer) {
  EngineSettings settings = pictureSettings(demod);
  settings.combining = combining;
  auto engine = std::make_unique<ReceiverEngine>(settings);
  for (std::size_t at = 0; at + kCaptureSamples <= heard.size(); at += kCaptureSamples) {
    engine->onBufferComplete(heard.data() + at);
    if (afterBuffer) afterBuffer(*engine);
  }
}

RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining, QImage* picture) {
  RunList runs;
  const std::size_t buffers = heard.size() / kCaptureSamples;
  decodeCombined(heard, demod, combining, [&](const ReceiverEngine& engine) {
    runs.emplace_back(engine.runBytes().begin(), engine.runBytes().end());
    if (picture && runs.size() == buffers)
      *picture = pictureImage(engine.bitmap(), ScreenSize::Large);
  });
  return runs;
}

int pictureFramesCombined(const std::vector<int>& framesCombined) {
  if (framesCombined.empty()) return kDefaultCombinedFrames;
  return std::min(kDefaultCombinedFrames,
                  *std::max_element(framesCombined.begin(), framesCombined.end()));
}

CombinedSignals::CombinedSignals(const std::vector<SweepPicture>& pictures, int mostFramesCombined,
                                 int threads) {
  const int count = static_cast<int>(pictures.size());
  std::vector<std::vector<float>> still, change;
  for (int p = 0; p < count; ++p) {
    still.push_back(
        transmittedAt9600(pictures[static_cast<std::size_t>(p)].picture, mostFramesCombined + 3));
    std::vector<float> c =
        transmittedAt9600(pictures[static_cast<std::size_t>(p)].picture, kFramesBeforeChange);
    const auto next = transmittedAt9600(pictures[static_cast<std::size_t>((p + 1) % count)].picture,
                                        kFramesAfterChange + 1);
    c.insert(c.end(), next.begin(), next.end());
    change.push_back(std::move(c));
  }
  std::vector<std::pair<int, int>> keys;
  for (int p = 0; p < count; ++p)
    for (int lead : SentSignals::kLeads) {
      keys.emplace_back(p, lead);
      still_[{p, lead}] = withLead(still[static_cast<std::size_t>(p)], lead);
      change_[{p, lead}] = withLead(change[static_cast<std::size_t>(p)], lead);
      stillPerfect_[{p, lead}];
      changePerfect_[{p, lead}];
    }
  parallelFor(keys.size(), threads, [&](std::size_t i) {
    const auto& k = keys[i];
    stillPerfect_.at(k) = decodeRuns(toSamples(still_.at(k)), sweepReceiverSettings());
    changePerfect_.at(k) = decodeRuns(toSamples(change_.at(k)), sweepReceiverSettings());
  });
}

const std::vector<float>& CombinedSignals::still(int picture, int lead) const {
  return still_.at({picture, lead});
}
const RunList& CombinedSignals::stillPerfect(int picture, int lead) const {
  return stillPerfect_.at({picture, lead});
}
const std::vector<float>& CombinedSignals::change(int picture, int lead) const {
  return change_.at({picture, lead});
}
const RunList& CombinedSignals::changePerfect(int picture, int lead) const {
  return changePerfect_.at({picture, lead});
}

CombinedTrialResult runCombinedTrial(const CombinedSignals& sent, int picture, int lead,
                                     const ChannelSettings& channel,
                                     const std::vector<int>& framesCombined, bool keepPicture) {
  const DemodSettings demod = sweepReceiverSettings();
  const int pictureFrames = keepPicture ? pictureFramesCombined(framesCombined) : 0;
  CombinedTrialResult result;
  const auto heard = toSamples(applyChannel(sent.still(picture, lead), kRxSampleRateHz, channel));
  const RunList& perfect = sent.stillPerfect(picture, lead);
  for (int n : framesCombined) {
    // Only as many buffers as the runs measured need.
    const auto buffers = static_cast<std::size_t>(n + 3);
    const std::vector<std::int16_t> part(
        heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(
                                           std::min(heard.size(), buffers * kCaptureSamples)));
    const RunList runs =
        combinedRuns(part, demod, combiningOver(n), n == pictureFrames ? &result.picture : nullptr);
    PictureErrorSum sum;
    for (std::size_t r = static_cast<std::size_t>(n); r < runs.size() && r < perfect.size(); ++r)
      sum.add(runs[r], perfect[r]);
    result.still.push_back(sum.mean());
  }

  ChannelSettings changeChannel = channel;
  changeChannel.seed = channel.seed ^ 0x5bd1e995ULL;
  const auto changeHeard =
      toSamples(applyChannel(sent.change(picture, lead), kRxSampleRateHz, changeChannel));
  const RunList runs = combinedRuns(changeHeard, demod, combiningOver(kDefaultCombinedFrames));
  const RunList& changePerfect = sent.changePerfect(picture, lead);
  for (int k = 1; k <= CombinedSignals::kFramesAfterChange; ++k) {
    const auto r = static_cast<std::size_t>(CombinedSignals::kFramesBeforeChange + k - 1);
    if (r >= runs.size() || r >= changePerfect.size()) break;
    PictureErrorSum sum;
    sum.add(newerHalf(runs[r]), newerHalf(changePerfect[r]));
    result.afterChange[static_cast<std::size_t>(k - 1)] = sum.mean().luma;
  }
  return result;
}

}  // namespace mosaic::tool
