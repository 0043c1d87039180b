// The receiver window's tuning aid: the engine's estimate shown and, when asked, put on the tuning
// sliders; and combining the repeated frames, which follows the sending clock the estimate finds.

#include "receiver/app/receiver_window.h"

#include "platform/control_layout.h"
#include "receiver/app/combining_row.h"
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
  placeCombiningRow();
  fitWindowToClient();
}

void ReceiverWindow::placeCombiningRow() {
  const int top =
      tuningPanel_->isVisibleTo(this) ? kTuningPanelTop + kTuningPanelHeight + 4 : kTuningPanelTop;
  placeControl(combining_, QRect(0, top, kCombiningRowWidth, kCombiningRowHeight));
}

void ReceiverWindow::setCombining(const CombiningSettings& settings) {
  engine_->setCombining(settings);
}

}  // namespace mosaic
