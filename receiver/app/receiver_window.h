#pragma once
// The receiver's window: the picture area, the sliders, check boxes and buttons, and the menu
// bar. It holds the receiver's settings and forwards everything else: each filled sound buffer
// goes to the receiver engine with the settings (demodulation, picture, the movie recorder's step,
// tuning aid, aligned frame), and what it gave is shown; every button, check box and menu command
// goes through one dispatch by its numeric id.

#include "platform/sound_keeper.h"
#include "receiver/app/receiver_controls.h"
#include "receiver/app/receiver_services.h"
#include "receiver/app/slider_settings.h"
#include "receiver/core/capture/audio_input.h"
#include "receiver/core/capture/capture.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/movie/movie_recorder.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/receiver_engine.h"
#include "signal/scroll_code.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;

namespace mosaic {

class AlignedPictures;
class LevelDisplay;
class PictureView;
class StatusBanner;
class TuningPanel;

class ReceiverWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window and starts receiving from `input`; movie files are made through `files`.
  ReceiverWindow(AudioInput& input, MovieFiles& files, ReceiverServices services,
                 QWidget* parent = nullptr);
  ~ReceiverWindow() override;

  // Carries out the command of the control or menu item with this id; other ids are ignored.
  void dispatchCommand(int id);

  // Stops reception and completes the movie file. Closing the window does this; it may be
  // called more than once.
  void shutDown();

  // The control with this id (null when there is none), and the menu command with this id.
  QWidget* control(int id) const;
  QAction* menuAction(int id) const;
  PictureView* pictureView() const { return picture_; }
  TuningPanel* tuningPanel() const { return tuningPanel_; }
  AlignedPictures* alignedPictures() const { return aligned_; }
  bool autoTuning() const { return engine_->settings().autoTune; }
  const DemodSettings& demodSettings() const { return demod_; }
  const DisplaySettings& displaySettings() const { return display_; }
  const ReceiverEngine& engine() const { return *engine_; }
  const MovieRecorder& recorder() const { return recorder_; }
  // The recording device's state, and what the window says about it.
  SoundKeeper& soundKeeper() { return *soundKeeper_; }
  StatusBanner* statusBanner() const { return banner_; }
  // The input level of the latest buffer, with its clipping warning.
  LevelDisplay* inputLevel() const { return inputLevel_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Watches the window's exposures, which repaint the picture area.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void connectControls();
  // Sets the settings' defaults and shows them in the controls.
  void initialise();
  // Shows remembered settings through the controls' own handling, as if the user had set them.
  void applySettings(const ReceiverSettings& remembered);
  // The settings as the controls show them now, to remember.
  ReceiverSettings currentSettings() const;
  // One filled sound buffer through the engine, then what it gave shown.
  void onBufferComplete(const std::int16_t* samples, const std::function<void()>& handBack);
  // A slider notification; a thumb track carries its position, the others read the slider.
  void onSlider(int id, ScrollCode code, int messagePosition);
  void updateValueLabels();
  void setNoiseStrength(NoiseWeights weights, const char* checkBoxText);
  // "Small": every window of the program is repainted, which blacks the picture area.
  void repaintAllWindows();
  void openMovieFile();
  void showRecorderControls();
  void reportRecorderProblem(const std::string& message);
  void keepNoteBox(QMessageBox* box);
  // Opens the input afresh: the engine forgets what it heard, so that no sound from before a loss
  // is mixed with the new.
  bool openInput();
  // "Sound &device...": the operator's choice goes to the sound input's keeper.
  void onSoundDevice();
  void showInputStatus(const std::string& status);
  // The tuning aid: the estimate and spectrum of each buffer, and the tuning auto tune set.
  void showTuning();
  void setAutoTune(bool on);
  // Puts the engine's tuning on the sliders.
  void showEngineTuning();
  void showTuningDisplay(bool shown);
  void fitWindowToClient();
  // The aligned view beside the controls, or not; the window grows to make room for it.
  void showAlignedView(bool shown);

  ReceiverServices services_;
  DemodSettings demod_;
  DisplaySettings display_;
  std::unique_ptr<ReceiverEngine> engine_;
  MovieRecorder recorder_;
  ReceiverControls controls_;
  std::map<int, QAction*> actions_;
  PictureView* picture_ = nullptr;
  QString movieFolder_;  // of the last movie file chosen; empty: none yet
  TuningPanel* tuningPanel_ = nullptr;
  AlignedPictures* aligned_ = nullptr;
  std::vector<QPointer<QMessageBox>> noteBoxes_;  // help and About, closed with the window
  bool watchingExposures_ = false;
  bool shutDown_ = false;
  StatusBanner* banner_ = nullptr;
  LevelDisplay* inputLevel_ = nullptr;
  Capture capture_;  // late, so that it stops first
  std::unique_ptr<SoundKeeper> soundKeeper_;
};

}  // namespace mosaic
