#pragma once
// One trial of the quality sweep: a sent signal through one channel realisation and the receiver,
// compared run by run with what the receiver makes of the same signal over a perfect channel.

#include "channel/channel_model.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "tools/quality/picture_error.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace mosaic::tool {

// The picture value bytes of every run of a decoding, one entry per capture buffer.
using RunList = std::vector<std::vector<std::uint8_t>>;

// The receiver's settings in the sweep: start-up settings, colour balance 0 (its start-up slope
// tints a clean picture), tuning sliders at 0: the true tuning of an unshifted channel.
DemodSettings sweepReceiverSettings();

// The runs the receiver makes of `heard` (9600 Hz) with `demod`.
RunList decodeRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod);

// `demod` with its tuning sliders where the tuning estimator puts them after hearing all of
// `heard`, as `mosaic decode --auto-tune` does; `offsetHz` receives the estimate (0 when there
// was none).
DemodSettings autoTuned(const std::vector<std::int16_t>& heard, DemodSettings demod,
                        double& offsetHz);

// The error of decoding `heard` with `demod` against `perfect`, over every run but the first
// (whose older half of the history is still silence). `picture`, when given, receives the last
// picture as the large view shows it.
PictureError decodingError(const std::vector<std::int16_t>& heard, const RunList& perfect,
                           const DemodSettings& demod, QImage* picture = nullptr);

struct TrialResult {
  PictureError manual;  // receiver at sweepReceiverSettings()
  PictureError tuned;   // receiver auto-tuned (only when asked for)
  double tunedOffsetHz = 0.0;
  QImage manualPicture;  // when asked for
};

struct TrialRequest {
  const std::vector<float>* sent = nullptr;  // 9600 Hz, before the channel
  const RunList* perfect = nullptr;
  ChannelSettings channel;  // with its SNR and seed
  bool autoTune = false;
  bool keepPicture = false;
};

TrialResult runTrial(const TrialRequest& request);

}  // namespace mosaic::tool
