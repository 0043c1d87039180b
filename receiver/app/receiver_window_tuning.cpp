// The receiver window's tuning aid: the estimate shown and, when asked, applied to the tuning
// sliders.

#include "receiver/app/receiver_window.h"

#include "receiver/app/control_ids.h"
#include "receiver/app/tuning_panel.h"
#include "receiver/core/tuning/slider_offset.h"

#include <QAction>
#include <QCheckBox>
#include <QSlider>

#include <algorithm>

namespace mosaic {

using namespace rx;

void ReceiverWindow::updateTuning() {
  // The estimator reads the buffer just taken in, from the history: it never changes what the
  // receiver does unless its estimate is put on the sliders.
  const auto& history = chain_->history().samples;
  tuning_->addBuffer(history.data() + kCaptureSamples);
  std::copy(history.end() - kZoomSamples, history.end(), newestSamples_.begin());
  tuningSpectrum_->analyse(newestSamples_);
  const TuningEstimate& estimate = tuning_->estimate();
  if (autoTune_ && estimate.locked) tuneTo(estimate.offsetHz);
  tuningPanel_->showState(*tuningSpectrum_, estimate, static_cast<double>(tuningOffsetHz(demod_)));
}

void ReceiverWindow::setAutoTune(bool on) {
  autoTune_ = on;
  tuningPanel_->autoTuneBox()->setChecked(on);
  actions_.at(kAutoTuneId)->setChecked(on);
  if (on && tuning_->estimate().locked) tuneTo(tuning_->estimate().offsetHz);
}

void ReceiverWindow::tuneTo(double offsetHz) {
  const TuningPositions positions = tuningPositions(offsetHz);
  controls_.sliders.at(kCoarseTuneId)->setValue(positions.coarse);
  controls_.sliders.at(kFineTuneId)->setValue(positions.fine);
  applySliderPosition(kCoarseTuneId, positions.coarse, demod_, display_);
  applySliderPosition(kFineTuneId, positions.fine, demod_, display_);
  updateValueLabels();
  tuningPanel_->showTuning(static_cast<double>(tuningOffsetHz(demod_)));
}

void ReceiverWindow::showTuningDisplay(bool shown) {
  tuningPanel_->setVisible(shown);
  actions_.at(kTuningDisplayId)->setChecked(shown);
  fitWindowToClient();
}

}  // namespace mosaic
