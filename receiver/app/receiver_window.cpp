#include "receiver/app/receiver_window.h"

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "platform/dialog_units.h"
#include "platform/icons.h"
#include "platform/level_display.h"
#include "platform/scroll_actions.h"
#include "platform/status_banner.h"
#include "receiver/app/aligned_pictures.h"
#include "receiver/app/aligned_view.h"
#include "receiver/app/combining_row.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/help_notes.h"
#include "receiver/app/picture_image.h"
#include "receiver/app/picture_view.h"
#include "receiver/app/tuning_panel.h"
#include "receiver/app/value_labels.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace mosaic {

using namespace rx;

namespace {
constexpr int kClientWidthDu = 260;
constexpr int kClientHeightDu = 300;
// Below the saturation slider's caption, left of the frame counter.
const QRect kInputLevelRect(1, 374, 199, 18);  // [px]

// The window shows the tuning aid and the aligned frame (also while its view is hidden, so that a
// saved picture is the current one), and auto-save goes by the signal-to-noise ratio.
EngineSettings engineSettings() {
  EngineSettings settings;
  settings.tuningAid = true;
  settings.alignedScale = kAlignedViewScale;
  settings.measureSnr = true;
  return settings;
}
}  // namespace

ReceiverWindow::ReceiverWindow(AudioInput& input, MovieFiles& files, ReceiverServices services,
                               QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      engine_(std::make_unique<ReceiverEngine>(engineSettings())),
      recorder_(files, [this](const std::string& message) { reportRecorderProblem(message); }),
      playback_([this](const std::int16_t* samples) { receiveBuffer(samples, [] {}); },
                [this](const std::string& problem) { endRecordingPlayback(problem); }),
      capture_(input, [this](const std::int16_t* samples, const std::function<void()>& handBack) {
        onBufferComplete(samples, handBack);
      }) {
  engine_->attachRecorder(&recorder_);
  setWindowTitle(QStringLiteral("Multi-carrier Colour/Monochrome TV receiver (Voxlane+)"));
  setWindowIcon(programIcon(IconProgram::Receiver));
  setFont(dialogFont());

  auto* client = new QWidget(this);
  setCentralWidget(client);
  picture_ = new PictureView(client);
  placeControl(picture_, picture_->geometry());
  controls_ = createControls(client);
  tuningPanel_ = new TuningPanel(client);
  placeControl(tuningPanel_, QRect(0, kTuningPanelTop, kTuningPanelWidth, kTuningPanelHeight));
  combining_ = new CombiningRow(
      client, [this](const CombiningSettings& settings) { setCombining(settings); });
  placeCombiningRow();
  actions_ = createMenus(menuBar());
  aligned_ = new AlignedPictures(client, [this](const QString& message) {
    showNoteBox(QMessageBox::Warning, QStringLiteral("Received pictures"), message);
  });
  connectControls();
  inputLevel_ = new LevelDisplay(LevelDisplay::Side::Input, client);
  placeControl(inputLevel_, kInputLevelRect);

  fitWindowToClient();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  initialise();
  const ReceiverSettings remembered =
      services_.loadSettings ? services_.loadSettings() : ReceiverSettings{};
  applySettings(remembered);
  // A missing or lost device leaves the window working; it says so and tries again.
  banner_ = new StatusBanner(client);
  soundKeeper_ = std::make_unique<SoundKeeper>(
      SoundDirection::Recording,
      SoundLink::Actions{[this] { return openInput(); }, [this] { capture_.stop(); },
                         [this](const std::string& status) { showInputStatus(status); },
                         [&input] { return input.openError(); }});
  input.setLostHandler([this](const std::string& why) { soundKeeper_->lost(why); });
  soundKeeper_->setDevices(
      {services_.listSoundDevices, [&input](const std::string& id) { input.useDevice(id); }});
  soundKeeper_->choose(remembered.soundDevice);
  soundKeeper_->start();
}

ReceiverWindow::~ReceiverWindow() { shutDown(); }

void ReceiverWindow::fitWindowToClient() {
  // The menu bar comes on top of the client area; in a narrow window it may take two lines.
  const QSize client = fitControls(centralWidget())
                           .expandedTo({dialogUnitsToPixelsX(kClientWidthDu),
                                        dialogUnitsToPixelsY(kClientHeightDu)});
  resize(client.width(), client.height() + menuBar()->heightForWidth(client.width()));
}

void ReceiverWindow::showAlignedView(bool shown) {
  actions_.at(kAlignedId)->setChecked(shown);
  if (shown == aligned_->shown()) return;
  aligned_->setShown(shown);
  if (!shown) fitWindowToClient();
}

void ReceiverWindow::connectControls() {
  using Handler = void (ReceiverWindow::*)();
  const std::pair<int, Handler> menuCommands[] = {
      {kOpenFileId, &ReceiverWindow::openMovieFile},
      {kSavePictureId, &ReceiverWindow::savePicture},
      {kAutoSaveId, &ReceiverWindow::toggleAutoSave},
      {kReceivedPicturesId, &ReceiverWindow::showReceivedPictures},
      {kSoundDeviceId, &ReceiverWindow::onSoundDevice},
      {kRecordSoundId, &ReceiverWindow::toggleSoundRecording},
      {kOpenRecordingId, &ReceiverWindow::toggleRecordingPlayback},
      {kExitId, &ReceiverWindow::exitProgram},
      {kSmallId, &ReceiverWindow::showSmall},
      {kLargeId, &ReceiverWindow::showLarge},
      {kAlignedId, &ReceiverWindow::showAligned},
      {kAdjustInputId, &ReceiverWindow::adjustInput},
      {kLightFilterId, &ReceiverWindow::chooseLightFilter},
      {kMediumFilterId, &ReceiverWindow::chooseMediumFilter},
      {kHeavyFilterId, &ReceiverWindow::chooseHeavyFilter},
      {kAutoTuneId, &ReceiverWindow::toggleAutoTune},
      {kTuneNowId, &ReceiverWindow::tuneNow},
      {kTuningDisplayId, &ReceiverWindow::toggleTuningDisplay},
      {kHelpId, &ReceiverWindow::showHelp},
      {kAboutId, &ReceiverWindow::showAbout},
  };
  for (const auto& [id, handler] : menuCommands)
    connect(actions_.at(id), &QAction::triggered, this, handler);
  const std::pair<int, Handler> checkBoxes[] = {
      {kNoiseFilterId, &ReceiverWindow::toggleNoiseFilter},
      {kHorizontalFilterId, &ReceiverWindow::toggleHorizontalFilter},
      {kVerticalInterpolationId, &ReceiverWindow::toggleVerticalInterpolation},
      {kHalfPixelId, &ReceiverWindow::toggleHalfPixelOffset},
  };
  for (const auto& [id, handler] : checkBoxes)
    connect(controls_.checkBoxes.at(id), &QCheckBox::clicked, this, handler);
  connect(controls_.openFile, &QPushButton::clicked, this, &ReceiverWindow::openMovieFile);
  connect(controls_.closeFile, &QPushButton::clicked, this, &ReceiverWindow::closeMovieFile);
  connect(controls_.save, &QPushButton::clicked, this, &ReceiverWindow::toggleSaving);
  connect(tuningPanel_->autoTuneBox(), &QCheckBox::clicked, this, &ReceiverWindow::toggleAutoTune);
  connect(tuningPanel_->tuneNowButton(), &QPushButton::clicked, this, &ReceiverWindow::tuneNow);
  for (const auto& [id, slider] : controls_.sliders) {
    connect(slider, &QSlider::sliderMoved, this,
            [this, id = id](int position) { onSlider(id, ScrollCode::ThumbTrack, position); });
    connect(slider, &QSlider::actionTriggered, this, [this, id = id, slider = slider](int action) {
      if (const auto code = scrollCodeOfAction(action, slider->isSliderDown())) {
        onSlider(id, *code, slider->sliderPosition());
      }
    });
  }
}

void ReceiverWindow::initialise() {
  demod_ = DemodSettings{};
  display_ = DisplaySettings{};
  controls_.checkBoxes.at(kHalfPixelId)->setChecked(true);
  controls_.checkBoxes.at(kNoiseFilterId)->setChecked(false);
  controls_.checkBoxes.at(kHorizontalFilterId)->setChecked(false);
  controls_.checkBoxes.at(kVerticalInterpolationId)->setChecked(false);
  controls_.checkBoxes.at(kNoiseFilterId)->setText(QString::fromLatin1(kLightFilterCaption));
  for (const auto& [id, slider] : controls_.sliders) {
    slider->setValue(sliderPosition(id, demod_, display_));
  }
  updateValueLabels();
  showRecorderControls();
}

void ReceiverWindow::toggleSaving() {
  recorder_.toggleSaving();
  showRecorderControls();
}

void ReceiverWindow::closeMovieFile() {
  recorder_.closeFile();
  showRecorderControls();
}

void ReceiverWindow::toggleNoiseFilter() { display_.noiseFilter = !display_.noiseFilter; }

void ReceiverWindow::toggleHorizontalFilter() {
  display_.horizontalFilter = !display_.horizontalFilter;
}

void ReceiverWindow::toggleVerticalInterpolation() {
  display_.verticalInterpolation = !display_.verticalInterpolation;
}

void ReceiverWindow::toggleHalfPixelOffset() { toggleHalfPixel(demod_); }

void ReceiverWindow::showSmall() {
  showAlignedView(false);
  repaintAllWindows();
  display_.screenSize = ScreenSize::Small;
  picture_->windowRepainted(display_.screenSize);  // the repaint comes after the switch
}

void ReceiverWindow::showLarge() {
  showAlignedView(false);
  display_.screenSize = ScreenSize::Large;
}

void ReceiverWindow::savePicture() { aligned_->saveNow(); }

void ReceiverWindow::toggleAutoSave() {
  aligned_->setAutoSave(!aligned_->autoSave());
  actions_.at(kAutoSaveId)->setChecked(aligned_->autoSave());
}

void ReceiverWindow::showReceivedPictures() { aligned_->showReceivedPictures(); }

void ReceiverWindow::adjustInput() {
  if (services_.startMixer) services_.startMixer();
}

void ReceiverWindow::tuneNow() {
  if (engine_->tuneToEstimate()) showEngineTuning();
}

void ReceiverWindow::toggleTuningDisplay() { showTuningDisplay(!tuningPanel_->isVisibleTo(this)); }

void ReceiverWindow::showHelp() {
  keepNoteBox(showNoteBox(QMessageBox::Information, QStringLiteral("HELP notes"), helpNotesText()));
}

void ReceiverWindow::showAbout() {
  keepNoteBox(showNoteBox(QMessageBox::Information, QStringLiteral("Mosaic TV"), aboutText()));
}

void ReceiverWindow::onBufferComplete(const std::int16_t* samples,
                                      const std::function<void()>& handBack) {
  // Written before the engine hands the buffer back to the input.
  if (std::string error;
      soundRecording_.active() && !soundRecording_.append(samples, kCaptureSamples, error))
    reportSoundRecordingProblem(error);
  // While a recording plays, the live input is still recorded but not received.
  if (playback_.playing()) {
    handBack();
    return;
  }
  receiveBuffer(samples, handBack);
}

void ReceiverWindow::receiveBuffer(const std::int16_t* samples,
                                   const std::function<void()>& handBack) {
  engine_->setDemod(demod_);
  engine_->setDisplay(display_);
  engine_->onBufferComplete(samples, handBack);
  const BufferReport& report = engine_->report();
  inputLevel_->showLevel(report.level, report.clipWarning);
  picture_->showPicture(pictureImage(engine_->bitmap(), engine_->runSettings().display.screenSize));
  showRecorderControls();
  showTuning();
  if (engine_->runSettings().combining.on) combining_->showFramesCombined(report.framesCombined);
  aligned_->newBuffer(*engine_);
}

void ReceiverWindow::onSlider(int id, ScrollCode code, int messagePosition) {
  if (!movesPosition(code)) return;
  const int position =
      code == ScrollCode::ThumbTrack ? messagePosition : controls_.sliders.at(id)->sliderPosition();
  applySliderPosition(id, position, demod_, display_);
  if (isHorizontalSlider(id)) updateValueLabels();
  if (id == kCoarseTuneId || id == kFineTuneId) {
    // The operator takes over: following the estimate stops.
    if (autoTuning()) setAutoTune(false);
    tuningPanel_->showTuning(static_cast<double>(tuningOffsetHz(demod_)));
  }
}

void ReceiverWindow::updateValueLabels() {
  controls_.balanceValue->setText(balanceText(demod_));
  controls_.saturationValue->setText(saturationText(display_));
  controls_.tuningValue->setText(tuningText(demod_));
}

void ReceiverWindow::setNoiseStrength(NoiseWeights weights, const char* checkBoxText) {
  display_.noiseWeights = weights;  // whether the filter is on stays with the check box
  controls_.checkBoxes.at(kNoiseFilterId)->setText(QString::fromLatin1(checkBoxText));
}

void ReceiverWindow::repaintAllWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible()) window->update();
  }
}

void ReceiverWindow::openMovieFile() {
  recorder_.beginOpen();
  showRecorderControls();
  const auto path =
      services_.chooseMovieFile ? services_.chooseMovieFile(this, movieFolder_) : std::nullopt;
  if (shutDown_) return;  // the program ended while the dialog was open
  if (path) {
    movieFolder_ = QFileInfo(*path).absolutePath();
    recorder_.openFile(QFile::encodeName(*path).toStdString());
  } else {
    recorder_.cancelOpen();
  }
  showRecorderControls();
}

void ReceiverWindow::showRecorderControls() {
  const RecorderControls& shown = recorder_.controls();
  controls_.closeFile->setEnabled(shown.closeEnabled);
  controls_.save->setEnabled(shown.saveEnabled);
  controls_.save->setText(QString::fromStdString(shown.saveText));
  controls_.counter->setText(QString::fromStdString(shown.counterText));
}

void ReceiverWindow::toggleSoundRecording() {
  std::string error;
  if (soundRecording_.active()) {
    if (!soundRecording_.finish(error)) reportSoundRecordingProblem(error);
  } else if (const auto path =
                 services_.chooseSoundFile
                     ? services_.chooseSoundFile(this, QFileInfo(soundFile_).absolutePath())
                     : std::nullopt) {
    soundFile_ = *path;
    if (!soundRecording_.start(QFile::encodeName(*path).toStdString(), error))
      reportSoundRecordingProblem(error);
  }
  actions_.at(kRecordSoundId)->setChecked(soundRecording_.active());
}

void ReceiverWindow::reportSoundRecordingProblem(const std::string& message) {
  std::fprintf(stderr, "mosaicview: %s\n", message.c_str());
  actions_.at(kRecordSoundId)->setChecked(soundRecording_.active());
  showNoteBox(QMessageBox::Warning, QStringLiteral("Record sound"),
              QString::fromLocal8Bit(message.c_str()));
}

void ReceiverWindow::toggleRecordingPlayback() {
  if (playback_.playing()) {
    playback_.stop();  // back to the live input
  } else if (const auto path =
                 services_.chooseRecording
                     ? services_.chooseRecording(this, QFileInfo(recordingFile_).absolutePath())
                     : std::nullopt) {
    recordingFile_ = *path;
    playback_.start(QFile::encodeName(*path).toStdString());
  }
  actions_.at(kOpenRecordingId)->setChecked(playback_.playing());
}

void ReceiverWindow::endRecordingPlayback(const std::string& problem) {
  actions_.at(kOpenRecordingId)->setChecked(false);
  if (problem.empty()) return;
  std::fprintf(stderr, "mosaicview: %s\n", problem.c_str());
  showNoteBox(QMessageBox::Warning, QStringLiteral("Open recording"),
              QString::fromLocal8Bit(problem.c_str()));
}

void ReceiverWindow::reportRecorderProblem(const std::string& message) {
  std::fprintf(stderr, "mosaicview: %s\n", message.c_str());
  showNoteBox(QMessageBox::Warning, QStringLiteral("Movie file"),
              QString::fromLocal8Bit(message.c_str()));
}

void ReceiverWindow::keepNoteBox(QMessageBox* box) {
  std::erase_if(noteBoxes_, [](const QPointer<QMessageBox>& b) { return b.isNull(); });
  noteBoxes_.emplace_back(box);
}

bool ReceiverWindow::openInput() {
  if (engine_->runs() > 0) engine_->reset();
  return capture_.start();
}

void ReceiverWindow::showInputStatus(const std::string& status) {
  banner_->say(QString::fromStdString(status));
  // A note about the chosen device leaves the picture and the level live.
  const bool noInput = !soundKeeper_->link().live();
  picture_->setNoInput(noInput);
  if (noInput) {
    inputLevel_->showLevel(SoundLevel{}, false);
  } else {
    inputLevel_->showLevel(engine_->report().level, engine_->report().clipWarning);
  }
}

void ReceiverWindow::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  soundKeeper_->stop();
  capture_.stop();
  playback_.stop();
  recorder_.finish();
  if (std::string error; !soundRecording_.finish(error))
    std::fprintf(stderr, "mosaicview: %s\n", error.c_str());
  showRecorderControls();
  for (const auto& box : noteBoxes_) {
    if (box) box->close();
  }
}

QWidget* ReceiverWindow::control(int id) const { return findControl(this, id); }

QAction* ReceiverWindow::menuAction(int id) const { return findMenuAction(this, id); }

void ReceiverWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!watchingExposures_ && windowHandle()) {
    windowHandle()->installEventFilter(this);
    watchingExposures_ = true;
  }
}

void ReceiverWindow::closeEvent(QCloseEvent* event) {
  // A normal close remembers the settings; an end by a signal does not get here.
  if (!shutDown_ && services_.saveSettings) services_.saveSettings(currentSettings());
  shutDown();
  event->accept();
}

void ReceiverWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // The font is set before the controls are made; they are fitted once they all are.
  if (event->type() == QEvent::FontChange && inputLevel_) fitWindowToClient();
}

bool ReceiverWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    picture_->windowRepainted(display_.screenSize);
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace mosaic
