#pragma once
// Decoding with the frame combiner on, as the receiver runs it: the receiver engine combining,
// its tuning estimator hearing the same buffers and telling the combiner the sender's clock. And
// the quality sweep's combined trials: a still picture combined over a number of frames, and a
// new picture after 8 frames of another.

#include "channel/channel_model.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/receiver_engine.h"
#include "tools/quality/sent_signals.h"
#include "tools/quality/trial.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace mosaic::tool {

// Feeds the whole buffers of `heard` (9600 Hz); `afterBuffer` sees the engine after each.
void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining,
                    const std::function<void(const ReceiverEngine&)>& afterBuffer);

// The picture value bytes of every run; `picture`, when given, receives the last picture as the
// large view shows it.
RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining, QImage* picture = nullptr);

// The signals of the combined trials for every picture and lead (as SentSignals::kLeads): each
// picture still for enough frames to combine the most frames asked for and measure three runs
// after; and each picture for 8 frames followed by the next picture; with what the single-frame
// receiver makes of them over a perfect channel.
class CombinedSignals {
 public:
  static constexpr int kFramesBeforeChange = 8;
  static constexpr int kFramesAfterChange = 6;

  CombinedSignals(const std::vector<SweepPicture>& pictures, int mostFramesCombined, int threads);

  const std::vector<float>& still(int picture, int lead) const;
  const RunList& stillPerfect(int picture, int lead) const;
  const std::vector<float>& change(int picture, int lead) const;
  const RunList& changePerfect(int picture, int lead) const;

 private:
  std::map<std::pair<int, int>, std::vector<float>> still_, change_;
  std::map<std::pair<int, int>, RunList> stillPerfect_, changePerfect_;
};

struct CombinedTrialResult {
  // Per number of frames asked for, N: the error of runs N..N+2 combining over N frames.
  std::vector<PictureError> still;
  // The newest frame's luminance error k = 1..6 frames after the change, combining over 8.
  std::array<double, CombinedSignals::kFramesAfterChange> afterChange{};
  // When asked for: the still picture as the large view shows it, combined over the receiver's
  // default number of frames (or the most asked for, if fewer).
  QImage picture;
};

// `channel` carries the SNR and seed; the change goes through a realisation of its own.
CombinedTrialResult runCombinedTrial(const CombinedSignals& sent, int picture, int lead,
                                     const ChannelSettings& channel,
                                     const std::vector<int>& framesCombined,
                                     bool keepPicture = false);

// The number of frames whose combined picture runCombinedTrial keeps.
int pictureFramesCombined(const std::vector<int>& framesCombined);

}  // namespace mosaic::tool
