#pragma once
// Reception as the monitor runs it, buffer by buffer, through the receiver engine: the picture, the
// tuning estimate (put on the tuning as soon as it locks, when tuning automatically), the frame
// boundary, the newest complete frame the way it was sent, and the signal-to-noise ratio. This is
// the one place where the monitor meets the receiver engine.

#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/aligned_frame.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/quality/signal_to_noise.h"
#include "receiver/core/receiver_engine.h"
#include "receiver/core/tuning/tuning_estimator.h"

#include <cstdint>
#include <memory>

namespace mosaic::station {

struct ReceptionSettings {
  bool autoTune = true;  // otherwise the tuning stays as `demod` gives it
  DemodSettings demod;
  DisplaySettings display;
  int scale = 3;                // pixels per sent column and luminance row of the aligned picture
  CombiningSettings combining;  // off: each frame on its own
};

// What one capture buffer brought.
struct ReceivedBuffer {
  bool locked = false;  // the estimator is locked on a Mosaic TV signal
  TuningEstimate estimate;
  double tuningHz = 0.0;  // the tuning the buffer was decoded with
  double snrDb = kLowestSnrDb;
  bool aligned = false;    // the frame boundary is known: the aligned picture holds a frame
  int framesCombined = 1;  // received frames that went into the aligned picture
};

class Reception {
 public:
  explicit Reception(const ReceptionSettings& settings);

  // One capture buffer of 12288 samples at 9600 Hz.
  const ReceivedBuffer& addBuffer(const std::int16_t* samples);
  // After a gap in the sound: the tuning estimate and the frame boundary are found afresh, so no
  // frame is taken across the gap. The tuning in use stays until a new estimate locks.
  void restart();
  const ReceivedBuffer& latest() const { return latest_; }
  // The newest complete frame, while `latest().aligned`.
  const AlignedPicture& alignedPicture() const { return engine_->alignedPicture(); }

 private:
  std::unique_ptr<ReceiverEngine> engine_;
  ReceivedBuffer latest_;
};

}  // namespace mosaic::station
