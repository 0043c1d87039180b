// The receiver window's tuning aid: the engine's estimate shown and, when asked, put on the tuning
// sliders.

#include "receiver/app/receiver_window.h"

#include "receiver/app/control_ids.h"
#include "receiver/app/tuning_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QSlider>

namespace mosaic {

using namespace rx;

void ReceiverWindow::showTuning() {
  if (engine_->report().tuned) showEngineTuning();
  tuningPanel_->showState(engine_->tuningSpectrum(), engine_->tuning(),
                          static_cast<double>(tuningOffsetHz(demod_)));
}

void ReceiverWindow::setAutoTune(bool on) {
  const bool tuned = engine_->setAutoTune(on);
  tuningPanel_->autoTuneBox()->setChecked(on);
  actions_.at(kAutoTuneId)->setChecked(on);
  if (tuned) showEngineTuning();
}

void ReceiverWindow::showEngineTuning() {
  // The tuning only: the engine's other settings are the window's own from the last buffer.
  demod_.coarseHz = engine_->settings().demod.coarseHz;
  demod_.fineHz = engine_->settings().demod.fineHz;
  for (int id : {kCoarseTuneId, kFineTuneId})
    controls_.sliders.at(id)->setValue(sliderPosition(id, demod_, display_));
  updateValueLabels();
  tuningPanel_->showTuning(static_cast<double>(tuningOffsetHz(demod_)));
}

void ReceiverWindow::showTuningDisplay(bool shown) {
  tuningPanel_->setVisible(shown);
  actions_.at(kTuningDisplayId)->setChecked(shown);
  fitWindowToClient();
}

}  // namespace mosaic
