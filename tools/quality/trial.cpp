#include "tools/quality/trial.h"

#include "receiver/app/picture_image.h"
#include "receiver/core/buffer_feeder.h"
#include "signal/timing.h"

namespace mosaic::tool {

DemodSettings sweepReceiverSettings() {
  DemodSettings demod;
  demod.balance = 0;
  return demod;
}

RunList decodeRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod) {
  RunList runs;
  ReceiverEngine engine(pictureSettings(demod));
  BufferFeeder feeder(engine, [&runs](const ReceiverEngine& received) {
    runs.emplace_back(received.runBytes().begin(), received.runBytes().end());
    return true;
  });
  feeder.feed(heard.data(), heard.size());
  return runs;
}

DemodSettings autoTuned(const std::vector<std::int16_t>& heard, DemodSettings demod,
                        double& offsetHz) {
  EngineSettings listening = pictureSettings(demod);
  listening.tuningAid = true;
  ReceiverEngine engine(listening);
  BufferFeeder feeder(engine, {});
  feeder.feed(heard.data(), heard.size());
  offsetHz = engine.tuning().valid ? engine.tuning().offsetHz : 0.0;
  engine.tuneToEstimate();
  return engine.settings().demod;
}

PictureError decodingError(const std::vector<std::int16_t>& heard, const RunList& perfect,
                           const DemodSettings& demod, QImage* picture) {
  PictureErrorSum sum;
  std::size_t run = 0;
  ReceiverEngine engine(pictureSettings(demod));
  BufferFeeder feeder(engine, [&](const ReceiverEngine& received) {
    if (run > 0 && run < perfect.size()) sum.add(received.runBytes(), perfect[run]);
    ++run;
    return true;
  });
  feeder.feed(heard.data(), heard.size());
  if (picture) *picture = pictureImage(engine.bitmap(), ScreenSize::Large);
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
