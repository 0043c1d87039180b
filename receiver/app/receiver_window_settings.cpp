// What the receiver window remembers between runs: applied through the controls' own handling
// at start, collected from the controls at a normal close.

#include "receiver/app/receiver_window.h"

#include "receiver/app/aligned_pictures.h"
#include "receiver/app/combining_row.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/tuning_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QSlider>

namespace mosaic {

using namespace rx;

void ReceiverWindow::applySettings(const ReceiverSettings& remembered) {
  for (const auto& [id, position] : remembered.sliderPositions) {
    controls_.sliders.at(id)->setValue(position);
    onSlider(id, ScrollCode::ThumbTrack, position);
  }
  for (const auto& [id, checked] : remembered.checkBoxes) {
    QCheckBox* box = controls_.checkBoxes.at(id);
    if (box->isChecked() != checked) box->click();
  }
  if (remembered.noiseStrength == kMediumNoiseFilter) chooseMediumFilter();
  if (remembered.noiseStrength == kHeavyNoiseFilter) chooseHeavyFilter();
  if (remembered.screenSize == ScreenSize::Large) showLarge();
  if (remembered.movieFolder) movieFolder_ = *remembered.movieFolder;
  if (remembered.autoTune) setAutoTune(*remembered.autoTune);
  if (remembered.tuningDisplayShown) showTuningDisplay(*remembered.tuningDisplayShown);
  if (remembered.alignedView) showAlignedView(*remembered.alignedView);
  if (remembered.autoSave && *remembered.autoSave != aligned_->autoSave()) toggleAutoSave();
  if (remembered.pictureFolder) aligned_->setFolder(*remembered.pictureFolder);
  if (remembered.autoSaveSnrDb) aligned_->setAutoSaveSnrDb(*remembered.autoSaveSnrDb);
  if (remembered.autoSaveEveryFrame)
    aligned_->setAutoSaveEveryFrame(*remembered.autoSaveEveryFrame);
  CombiningSettings combining = combining_->settings();
  if (remembered.combining) combining.on = *remembered.combining;
  if (remembered.combinedFrames) combining.frames = *remembered.combinedFrames;
  combining_->showSettings(combining);
  setCombining(combining);
}

ReceiverSettings ReceiverWindow::currentSettings() const {
  ReceiverSettings now;
  for (const auto& [id, slider] : controls_.sliders) now.sliderPositions[id] = slider->value();
  for (const auto& [id, box] : controls_.checkBoxes) now.checkBoxes[id] = box->isChecked();
  now.noiseStrength = display_.noiseWeights;
  now.screenSize = display_.screenSize;
  if (!movieFolder_.isEmpty()) now.movieFolder = movieFolder_;
  now.autoTune = autoTuning();
  now.tuningDisplayShown = tuningPanel_->isVisibleTo(this);
  now.alignedView = aligned_->shown();
  now.autoSave = aligned_->autoSave();
  now.pictureFolder = aligned_->chosenFolder();
  now.autoSaveSnrDb = aligned_->autoSaveSnrDb();
  now.autoSaveEveryFrame = aligned_->autoSaveEveryFrame();
  // The choice, not the device in use: a device that is away now is still the one wanted.
  now.soundDevice = soundKeeper_->chosen();
  now.combining = combining_->settings().on;
  now.combinedFrames = combining_->settings().frames;
  return now;
}

void ReceiverWindow::onSoundDevice() {
  if (!services_.chooseSoundDevice) return;
  if (const auto chosen = services_.chooseSoundDevice(this, {soundKeeper_->chosen()}))
    soundKeeper_->choose(chosen->device);
}

}  // namespace mosaic
