#include "station/reception.h"

#include "receiver/core/tuning/slider_offset.h"
#include "signal/timing.h"

namespace mosaic::station {

namespace {
// The colour carriers' part of the carriers' power in a Mosaic TV signal: 13 of 49 sent alike
// (0.27); measured from 0.18 to 0.46 through noise, moderate fading and a 300-2700 Hz passband.
constexpr double kLeastColourShare = 0.1;
constexpr double kMostColourShare = 0.7;
}  // namespace

Reception::Reception(const ReceptionSettings& settings) : settings_(settings) {
  EngineSettings engine = pictureSettings(settings.demod, settings.display);
  engine.tuningAid = true;
  engine.alignedScale = settings.scale;
  engine.measureSnr = true;
  // Auto tune is done here rather than by the engine, so that only a lock that passes the
  // colour-share check moves the tuning.
  engine_ = std::make_unique<ReceiverEngine>(engine);
}

const ReceivedBuffer& Reception::addBuffer(const std::int16_t* samples) {
  latest_.tuningHz = static_cast<double>(tuningOffsetHz(engine_->settings().demod));
  engine_->onBufferComplete(samples);
  const BufferReport& report = engine_->report();
  const TuningEstimate& estimate = report.tuning;
  const SignalToNoise& snr = report.snr;
  latest_.snrDb = snr.snrDb;
  latest_.colourShare = snr.signalPower > 0.0 ? snr.colourPower / snr.signalPower : 0.0;
  latest_.locked = estimate.locked && latest_.colourShare >= kLeastColourShare &&
                   latest_.colourShare <= kMostColourShare;
  // The next buffer is decoded with the tuning found, as the window's "Auto tune" does it.
  if (settings_.autoTune && latest_.locked) engine_->tuneTo(estimate.offsetHz);
  latest_.estimate = estimate;
  latest_.aligned = report.aligned;
  return latest_;
}

void Reception::restart() {
  engine_->reset();
  latest_.aligned = false;
}

}  // namespace mosaic::station
