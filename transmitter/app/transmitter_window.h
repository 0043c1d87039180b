#pragma once
// The Mosaiccast window, "Colour TV TX (Voxlane+)": the video area at the top left, the controls
// of the active source below it, and the menu bar. It transmits from initialisation to the
// end: every time the sound device returns a buffer, the next frame is built from the picture
// the video area shows. Every menu item and button has a handler of its own.

#include "platform/scroll_code.h"
#include "platform/sound_keeper.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/app/transmitter_services.h"
#include "transmitter/core/crawl_window.h"
#include "transmitter/core/transmit_output.h"
#include "transmitter/core/video_source_control.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenuBar;

namespace mosaic {

class LevelDisplay;
class PlayPauseButton;
class StatusBanner;
class PositionBar;
class VideoAreaWidget;

class TransmitterWindow : public QDialog {
  Q_OBJECT
 public:
  // Start-up before the window is shown: icons, the play/pause button, the position bar, the menu
  // bar and an empty video area.
  explicit TransmitterWindow(TransmitterServices services, QWidget* parent = nullptr);
  ~TransmitterWindow() override;

  // Initialisation: the start values, the grab, and the sound output with two silent buffers.
  // A `file` given to the program is opened as "Open" opens it, in place of the remembered one.
  void initialiseWindow(const std::optional<QString>& file = std::nullopt);
  // Initialises, then runs the window until it ends.
  int run(const std::optional<QString>& file = std::nullopt);

  // The position bar moved: a scroll code and the thumb position.
  void onPositionScroll(ScrollCode code, int thumbPosition);
  // One tick of the one-second step timer.
  void onStepTimer();
  // The camera watch: says so when the camera has sent no picture for a while.
  void onCameraWatch();
  // The picture of the next frame: overlays and grab; the window shows the overlays drawn.
  void grabPicture(GrabBitmap& out);

  // For the operator's eye and for tests: the control and the menu command with this id (null
  // when there is none now).
  QWidget* control(int id) const;
  QAction* menuAction(int id) const;
  QWidget* clientArea() const { return client_; }
  QMenuBar* menus() const { return menuBar_; }
  const VideoSourceState& videoState() const { return source_.state(); }
  const CrawlState& crawlState() const { return crawl_; }
  const QImage& videoArea() const { return area_.image(); }
  bool stepTimerRunning() const { return stepTimer_.isActive(); }

  // Ending the window, by "Exit" or the close box, runs the shut-down once.
  void done(int result) override;
  void reject() override;

  // The playback device's state, and what the window says about it (null before run()).
  SoundKeeper* soundKeeper() { return soundKeeper_.get(); }
  StatusBanner* statusBanner() const { return banner_; }
  // The level of the frame on the air, and what the window says about the camera.
  LevelDisplay* outputLevel() const { return outputLevel_; }
  QLabel* cameraNote() const { return cameraNote_; }

 protected:
  // Escape does not end the transmission; only "Exit" and the close box do.
  void keyPressEvent(QKeyEvent* event) override;
  // A new font fits the controls to their captions afresh.
  void changeEvent(QEvent* event) override;

 private:
  // "Open": choose a file and show its first frame, stopped.
  void onOpenFile();
  void openVideoFile(const QString& path);
  // Shows remembered settings through the menus' and controls' own handling.
  void applySettings(const TransmitterSettings& remembered);
  // The settings as the window shows them now, to remember.
  TransmitterSettings currentSettings() const;
  // "&Camera": the camera's preview in the area, its two buttons below.
  void onSelectCamera();
  // "&AVI": back to the file at the position and stepping state it had.
  void onSelectFile();
  // The play/pause button: start or stop the one-second steps.
  void onPlayPause();
  // "Sound &device...": the operator's choice goes to the sound output's keeper.
  void onSoundDevice();
  // "&Output": the system's playback mixer, a new one each time.
  void onOutput();
  // "Crawl on/off".
  void onCrawlToggle();
  // "Exit": ends the window, which runs the shut-down.
  void onExit() { done(0); }
  // "Video &source" and "Video &format": the operator's device and frame size, reconnected.
  void onVideoSource();
  void onVideoFormat();

  // Fits the controls to their captions in the window's font, and the window to the controls
  // and the camera's note and the sound banner below them: exactly, or growing only (the
  // operator may have made the window larger).
  enum class Fit { Exactly, Growing };
  void layOut(Fit fit);
  // The menu bar, in the order the operator sees it.
  void buildMenuBar();
  // The controls of file mode and camera mode, created and destroyed as the modes change.
  void createPlayPauseButton(const QString& stateText);
  void createPositionBar();
  void createCameraButtons();
  void destroyControl(int id);
  // Disconnects and drops the camera and removes its buttons.
  void leaveCameraMode();
  // The play/pause button and the position bar of file mode, showing the source's state.
  void showFileControls();
  // The play/pause button and the step timer as the source says: "4" and running, or ";" and
  // stopped.
  void showSteppingState();
  // Shows the file at `position` and moves the bar there.
  void seekFile();
  // Puts a new source picture into the area and on screen.
  void showSource(const QImage& picture);
  // The file's name as the caption, marked while the file is still being opened.
  void showFileCaption();
  // A new file source, whose later news (a worker's) reaches onFileChanged.
  void makeFileSource();
  // The file source has moved on: its length, picture or opening outcome is new.
  void onFileChanged();
  // Shows the remembered frame of the file opened at start-up, if the file has it.
  void showRememberedPosition(int position);
  // The caption and note of camera mode, as the source says.
  void showCameraState();
  // Connects the camera with the operator's settings and starts its preview.
  void reconnectCamera();
  // The output level below the controls and the camera's note line below it.
  void createStatusLines();
  // The source's note about the camera; the window grows by the line while there is one.
  void showCameraNote();
  // What is wrong with the sound output, on a banner below the rest; the window grows by it.
  void showSoundStatus(const std::string& status);
  // Closes the sources, stops the timer and the sound output; runs once.
  void shutDown();

  TransmitterServices services_;
  QMenuBar* menuBar_ = nullptr;
  QWidget* client_ = nullptr;
  VideoAreaWidget* videoWidget_ = nullptr;
  PlayPauseButton* playPause_ = nullptr;
  PositionBar* positionBar_ = nullptr;
  QSize controlsSize_;  // what the controls take up of the client area, the camera's note below

  VideoSourceControl source_;
  CrawlState crawl_;
  CameraSettings cameraSettings_;
  std::unique_ptr<VideoFileSource> file_;
  std::unique_ptr<CameraSource> camera_;
  QTimer stepTimer_;
  ComposedVideoArea area_;
  std::unique_ptr<TransmitOutput> output_;
  StatusBanner* banner_ = nullptr;  // what is wrong with the sound output
  LevelDisplay* outputLevel_ = nullptr;
  QLabel* cameraNote_ = nullptr;
  QTimer* cameraWatch_ = nullptr;  // made with the first camera
  std::unique_ptr<SoundKeeper> soundKeeper_;
  bool shutDown_ = false;
  std::optional<int> positionOnOpen_;  // remembered frame, for a file still being opened
};

}  // namespace mosaic
