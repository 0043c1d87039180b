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

Reception::Reception(const ReceptionSettings& settings)
    : settings_(settings),
      chain_(std::make_unique<ReceiveChain>()),
      estimator_(std::make_unique<TuningEstimator>()) {
  reserveAligned(aligned_);
}

const ReceivedBuffer& Reception::addBuffer(const std::int16_t* samples) {
  latest_.tuningHz = static_cast<double>(tuningOffsetHz(settings_.demod));
  chain_->onBufferComplete(samples, settings_.demod, settings_.display);
  const auto& history = chain_->history().samples;
  estimator_->addBuffer(history.data() + kCaptureSamples);
  const TuningEstimate& estimate = estimator_->estimate();
  const SignalToNoise& snr = snr_.measure(history);
  latest_.snrDb = snr.snrDb;
  latest_.colourShare = snr.signalPower > 0.0 ? snr.colourPower / snr.signalPower : 0.0;
  latest_.locked = estimate.locked && latest_.colourShare >= kLeastColourShare &&
                   latest_.colourShare <= kMostColourShare;
  // The next buffer is decoded with the tuning found, as the window's "Auto tune" does it.
  if (settings_.autoTune && latest_.locked)
    applyTuningPositions(tuningPositions(estimate.offsetHz), settings_.demod);
  alignment_.update(estimate);
  latest_.estimate = estimate;
  latest_.aligned = alignment_.found();
  if (latest_.aligned) {
    alignFrame(chain_->bitmap(), alignment_.frameStart(), settings_.demod.windowOffsets,
               settings_.scale, aligned_);
  }
  return latest_;
}

void Reception::restart() {
  estimator_->reset();
  alignment_.reset();
  latest_.aligned = false;
}

}  // namespace mosaic::station
