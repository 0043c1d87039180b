#include "tools/quality/trial.h"

#include "receiver/app/picture_image.h"
#include "receiver/core/tuning/slider_offset.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "signal/timing.h"
#include "tools/decode_recording.h"

#include <memory>

namespace mosaic::tool {

DemodSettings sweepReceiverSettings() {
  DemodSettings demod;
  demod.balance = 0;
  return demod;
}

RunList decodeRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod) {
  RunList runs;
  BufferFeeder feeder(demod, DisplaySettings{}, [&runs](const ReceiveChain& chain) {
    runs.emplace_back(chain.runBytes().begin(), chain.runBytes().end());
    return true;
  });
  feeder.feed(heard.data(), heard.size());
  return runs;
}

DemodSettings autoTuned(const std::vector<std::int16_t>& heard, DemodSettings demod,
                        double& offsetHz) {
  auto estimator = std::make_unique<TuningEstimator>();
  for (std::size_t at = 0; at + kCaptureSamples <= heard.size(); at += kCaptureSamples)
    estimator->addBuffer(heard.data() + at);
  const TuningEstimate& estimate = estimator->estimate();
  offsetHz = estimate.valid ? estimate.offsetHz : 0.0;
  if (estimate.valid) applyTuningPositions(tuningPositions(estimate.offsetHz), demod);
  return demod;
}

PictureError decodingError(const std::vector<std::int16_t>& heard, const RunList& perfect,
                           const DemodSettings& demod, QImage* picture) {
  PictureErrorSum sum;
  std::size_t run = 0;
  BufferFeeder feeder(demod, DisplaySettings{}, [&](const ReceiveChain& chain) {
    if (run > 0 && run < perfect.size()) sum.add(chain.runBytes(), perfect[run]);
    ++run;
    return true;
  });
  feeder.feed(heard.data(), heard.size());
  if (picture) *picture = pictureImage(feeder.chain().bitmap(), ScreenSize::Large);
  return sum.mean();
}

TrialResult runTrial(const TrialRequest& request) {
  const std::vector<std::int16_t> heard =
      toSamples(applyChannel(*request.sent, kRxSampleRateHz, request.channel));
  TrialResult result;
  const DemodSettings manual = sweepReceiverSettings();
  result.manual = decodingError(heard, *request.perfect, manual,
                                request.keepPicture ? &result.manualPicture : nullptr);
  if (request.autoTune) {
    const DemodSettings tuned = autoTuned(heard, manual, result.tunedOffsetHz);
    // Tuned where the manual receiver already is, it decodes the same.
    const bool same = tuned.coarseHz == manual.coarseHz && tuned.fineHz == manual.fineHz;
    result.tuned = same ? result.manual : decodingError(heard, *request.perfect, tuned);
  }
  return result;
}

}  // namespace mosaic::tool
