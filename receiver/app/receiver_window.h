#pragma once
// The receiver's window: the picture area, the sliders, check boxes and buttons, and the menu
// bar. It holds the receiver's settings and forwards everything else: each filled sound buffer
// goes to the receiver engine with the settings (demodulation, picture, the movie recorder's step,
// tuning aid, aligned frame), and what it gave is shown; every button, check box and menu command
// has a handler of its own.

#include "devices/audio_input.h"
#include "platform/scroll_code.h"
#include "platform/sound_keeper.h"
#include "receiver/app/receiver_controls.h"
#include "receiver/app/receiver_services.h"
#include "receiver/app/recording_playback.h"
#include "receiver/app/slider_settings.h"
#include "receiver/app/sound_recording.h"
#include "receiver/core/capture/capture.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/movie/movie_recorder.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/receiver_engine.h"

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
class CombiningRow;
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

  // Stops reception and completes the movie file. Closing the window does this; it may be
  // called more than once.
  void shutDown();

  // The control with this id (null when there is none), and the menu command with this id (null
  // as well): tests and probes drive the window through them.
  QWidget* control(int id) const;
  QAction* menuAction(int id) const;
  PictureView* pictureView() const { return picture_; }
  TuningPanel* tuningPanel() const { return tuningPanel_; }
  AlignedPictures* alignedPictures() const { return aligned_; }
  CombiningRow* combiningRow() const { return combining_; }
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
  // A new font fits the controls to their captions afresh.
  void changeEvent(QEvent* event) override;
  // Watches the window's exposures, which repaint the picture area.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Every button, check box and menu action to its handler below, the sliders to onSlider.
  void connectControls();
  // Sets the settings' defaults and shows them in the controls.
  void initialise();
  // Shows remembered settings through the controls' own handling, as if the user had set them.
  void applySettings(const ReceiverSettings& remembered);
  // The settings as the controls show them now, to remember.
  ReceiverSettings currentSettings() const;
  // One filled sound buffer through the engine, then what it gave shown.
  void onBufferComplete(const std::int16_t* samples, const std::function<void()>& handBack);
  // A buffer through the engine and onto the screen, from the live input or a recording.
  void receiveBuffer(const std::int16_t* samples, const std::function<void()>& handBack);
  // A slider notification; a thumb track carries its position, the others read the slider.
  void onSlider(int id, ScrollCode code, int messagePosition);
  void updateValueLabels();

  // The handlers of the buttons, check boxes and menu commands.
  // "Open file to save" and "&Open": choose and open a movie file.
  void openMovieFile();
  // "Start save" / "Pause save" / "Resume".
  void toggleSaving();
  void closeMovieFile();
  void toggleNoiseFilter();
  void toggleHorizontalFilter();
  void toggleVerticalInterpolation();
  void toggleHalfPixelOffset();
  // "Small": every window of the program is repainted, which blacks the picture area.
  void showSmall();
  void showLarge();
  void showAligned() { showAlignedView(true); }
  void savePicture();
  void toggleAutoSave();
  void showReceivedPictures();
  // "Record sound...": starts writing the input to a WAV file the user names, or ends it.
  void toggleSoundRecording();
  void reportSoundRecordingProblem(const std::string& message);
  // "Open recording...": plays a recording the user chooses in place of the live input, or
  // goes back to the live input while one plays.
  void toggleRecordingPlayback();
  void endRecordingPlayback(const std::string& problem);
  void exitProgram() { close(); }
  void adjustInput();
  // "Light filter", "Medium filter", "Heavy filter": the strength only, not whether it is on.
  void chooseLightFilter() { setNoiseStrength(kLightNoiseFilter, kLightFilterCaption); }
  void chooseMediumFilter() { setNoiseStrength(kMediumNoiseFilter, kMediumFilterCaption); }
  void chooseHeavyFilter() { setNoiseStrength(kHeavyNoiseFilter, kHeavyFilterCaption); }
  // "Auto tune", from its check box or its menu item.
  void toggleAutoTune() { setAutoTune(!autoTuning()); }
  void tuneNow();
  void toggleTuningDisplay();
  void showHelp();
  void showAbout();

  void setNoiseStrength(NoiseWeights weights, const char* checkBoxText);
  void repaintAllWindows();
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
  // Combining the repeated frames of a still picture: the row's settings to the engine, from the
  // next buffer on; the row sits below the tuning display, or in its place while it is hidden.
  void setCombining(const CombiningSettings& settings);
  void placeCombiningRow();
  // Fits the controls to their captions in the window's font and the window to the controls:
  // the specified 260 x 300 dialog units, or more where the controls reach further.
  void fitWindowToClient();
  // The aligned view beside the controls, or not; the window grows to make room for it.
  void showAlignedView(bool shown);

  ReceiverServices services_;
  DemodSettings demod_;
  DisplaySettings display_;
  std::unique_ptr<ReceiverEngine> engine_;
  MovieRecorder recorder_;
  SoundRecording soundRecording_;
  ReceiverControls controls_;
  std::map<int, QAction*> actions_;
  PictureView* picture_ = nullptr;
  QString movieFolder_;    // of the last movie file chosen; empty: none yet
  QString soundFile_;      // the last sound file chosen; empty: none yet
  QString recordingFile_;  // the last recording played; empty: none yet
  TuningPanel* tuningPanel_ = nullptr;
  AlignedPictures* aligned_ = nullptr;
  CombiningRow* combining_ = nullptr;
  std::vector<QPointer<QMessageBox>> noteBoxes_;  // help and About, closed with the window
  bool watchingExposures_ = false;
  bool shutDown_ = false;
  StatusBanner* banner_ = nullptr;
  LevelDisplay* inputLevel_ = nullptr;
  RecordingPlayback playback_;
  Capture capture_;  // late, so that it stops first
  std::unique_ptr<SoundKeeper> soundKeeper_;
};

}  // namespace mosaic
