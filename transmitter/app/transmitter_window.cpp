#include "transmitter/app/transmitter_window.h"

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "platform/dialog_units.h"
#include "platform/icons.h"
#include "platform/status_banner.h"
#include "transmitter/app/command_ids.h"
#include "transmitter/app/play_pause_button.h"
#include "transmitter/app/position_bar.h"
#include "transmitter/app/video_area_widget.h"
#include "transmitter/core/crawl_text.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace mosaic {

namespace {

const QString kCaption = QStringLiteral("Colour TV TX (Voxlane+)");
constexpr int kStepIntervalMs = 1000;
const QRect kPositionBarRect(31, 130, 129, 24);  // [px]
constexpr int kClientWidthDu = 106;
constexpr int kClientHeightDu = 107;

}  // namespace

TransmitterWindow::TransmitterWindow(TransmitterServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)) {
  // The window, hidden, with the dialog font; its client area lies below the menu bar.
  setWindowTitle(kCaption);
  setFont(dialogFont());
  client_ = new QWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(client_);
  videoWidget_ = new VideoAreaWidget(client_);
  videoWidget_->move(0, 0);
  setWindowIcon(programIcon(IconProgram::Transmitter));
  // File mode's controls with nothing open, the menu bar and the empty video area.
  createPlayPauseButton(kStoppedText);
  createPositionBar();
  buildMenuBar();
  layout->setMenuBar(menuBar_);
  makeFileSource();
  showSource(QImage());
  createStatusLines();

  connect(&stepTimer_, &QTimer::timeout, this, &TransmitterWindow::onStepTimer);
  client_->setMinimumSize(0, 0);
  layOut(Fit::Exactly);
}

void TransmitterWindow::layOut(Fit fit) {
  controlsSize_ = fitControls(client_).expandedTo(
      {dialogUnitsToPixelsX(kClientWidthDu), dialogUnitsToPixelsY(kClientHeightDu)});
  const int note = cameraNote_->isHidden() ? 0 : cameraNote_->height();
  cameraNote_->setGeometry(0, controlsSize_.height(), controlsSize_.width(), note);
  const int banner = banner_ && !banner_->isHidden() ? banner_->height() : 0;
  QSize client(controlsSize_.width(), controlsSize_.height() + note + banner);
  if (fit == Fit::Growing) client = client.expandedTo(client_->size());
  resize(client.width(), client.height() + menuBar_->heightForWidth(client.width()));
}

void TransmitterWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // The font is set before the controls are made; they are fitted once they all are.
  if (event->type() == QEvent::FontChange && cameraNote_) layOut(Fit::Exactly);
}

TransmitterWindow::~TransmitterWindow() { shutDown(); }

void TransmitterWindow::buildMenuBar() {
  menuBar_ = new QMenuBar(this);
  // All four entries fit on one line of the narrow window, as on a classic menu bar.
  menuBar_->setFont(dialogFont());
  menuBar_->setStyleSheet(QStringLiteral(
      "QMenuBar { margin: 0px; spacing: 0px; } QMenuBar::item { padding: 1px 4px; }"));
  QMenu* fileMenu = menuBar_->addMenu(QStringLiteral("&File"));
  const auto item = [this](QWidget* menu, const QString& text, int id,
                           void (TransmitterWindow::*handler)()) {
    auto* action = withId(new QAction(text, menu), id);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
  };
  item(fileMenu, QStringLiteral("Open"), kOpenId, &TransmitterWindow::onOpenFile);
  fileMenu->addSeparator();
  item(fileMenu, QStringLiteral("Crawl on/off"), kCrawlToggleId, &TransmitterWindow::onCrawlToggle);
  fileMenu->addSeparator();
  // The narrow bar has no room for another entry.
  item(fileMenu, QStringLiteral("Sound &device..."), kSoundDeviceId,
       &TransmitterWindow::onSoundDevice);
  fileMenu->addSeparator();
  item(fileMenu, QStringLiteral("Exit"), kExitId, &TransmitterWindow::onExit);
  item(menuBar_, QStringLiteral("&Output"), kOutputId, &TransmitterWindow::onOutput);
  item(menuBar_, QStringLiteral("&Camera"), kCameraId, &TransmitterWindow::onSelectCamera);
  item(menuBar_, QStringLiteral("&AVI"), kAviId, &TransmitterWindow::onSelectFile);
}

void TransmitterWindow::initialiseWindow(const std::optional<QString>& file) {
  TransmitterSettings remembered =
      services_.loadSettings ? services_.loadSettings() : TransmitterSettings{};
  if (file) {
    // As "Open" would: this file at its first frame, stopped, in file mode.
    remembered.videoFile = *file;
    remembered.position.reset();
    remembered.cameraMode = false;
  }
  applySettings(remembered);
  // Transmit from now on: two silent buffers, then a frame for every buffer returned.
  output_ = std::make_unique<TransmitOutput>(*services_.audio,
                                             [this](GrabBitmap& bitmap) { grabPicture(bitmap); });
  // A missing or lost device leaves the window working; it says so and tries again, each time
  // from a new silence.
  banner_ = new StatusBanner(client_);
  soundKeeper_ = std::make_unique<SoundKeeper>(
      SoundDirection::Playback,
      SoundLink::Actions{[this] {
                           output_->startOutput();
                           return output_->isOpen();
                         },
                         [this] { output_->stopOutput(); },
                         [this](const std::string& status) { showSoundStatus(status); },
                         [this] { return services_.audio->openError(); }});
  services_.audio->setLostHandler([this](const std::string& why) { soundKeeper_->lost(why); });
  soundKeeper_->setDevices({services_.listSoundDevices,
                            [this](const std::string& id) { services_.audio->useDevice(id); }});
  soundKeeper_->choose(remembered.soundDevice);
  soundKeeper_->start();
}

int TransmitterWindow::run(const std::optional<QString>& file) {
  initialiseWindow(file);
  return exec();
}

void TransmitterWindow::onOutput() {
  if (services_.startMixer) services_.startMixer();
}

void TransmitterWindow::onCrawlToggle() { mosaic::onCrawlToggle(crawl_); }

void TransmitterWindow::grabPicture(GrabBitmap& out) {
  grabComposedPicture(area_, crawl_, readCrawlText(services_.crawlTextPath), out);
  videoWidget_->showImage(area_.image());
}

// ---- file mode ----

void TransmitterWindow::onOpenFile() {
  const std::optional<QString> chosen =
      services_.chooseFile ? services_.chooseFile(this) : std::nullopt;
  if (chosen) openVideoFile(*chosen);
}

void TransmitterWindow::openVideoFile(const QString& path) {
  leaveCameraMode();
  stepTimer_.stop();
  file_.reset();
  makeFileSource();
  std::string error;
  if (!file_->open(path.toStdString(), error) && services_.reportOpenFailure)
    services_.reportOpenFailure(this, path, QString::fromStdString(error));
  source_.fileOpened(path.toStdString(), file_->length());
  showCameraNote();
  showFileCaption();
  showFileControls();
}

void TransmitterWindow::onSelectFile() {
  leaveCameraMode();
  source_.selectFile();
  showCameraNote();
  showFileCaption();
  showFileControls();
}

void TransmitterWindow::showFileCaption() {
  // A large file takes a while to open; until then the caption says so.
  const bool opening = file_ && file_->opening();
  setWindowTitle(QString::fromStdString(source_.fileCaption()) +
                 (opening ? QStringLiteral(" (opening...)") : QString()));
}

void TransmitterWindow::makeFileSource() {
  file_ = services_.makeVideoFile();
  file_->setChangeHandler([this] { onFileChanged(); });
}

void TransmitterWindow::onFileChanged() {
  if (source_.state().length != file_->length()) {
    source_.lengthKnown(file_->length());
    if (positionBar_) positionBar_->setLength(source_.state().length);
  }
  if (positionOnOpen_ && !file_->opening())
    showRememberedPosition(*std::exchange(positionOnOpen_, {}));
  const std::string error = file_->takeOpenError();
  if (!error.empty() && services_.reportOpenFailure)
    services_.reportOpenFailure(this, QString::fromStdString(source_.state().fileName),
                                QString::fromStdString(error));
  if (source_.state().cameraMode) return;
  showFileCaption();
  showSource(file_->picture());
}

void TransmitterWindow::showFileControls() {
  destroyControl(kPlayPauseId);
  createPlayPauseButton(QString());
  showSteppingState();
  destroyControl(kPositionBarId);
  createPositionBar();
  positionBar_->setLength(source_.state().length);
  seekFile();
  layOut(Fit::Growing);
}

void TransmitterWindow::onPlayPause() {
  if (!playPause_) return;
  source_.togglePlayPause();
  showSteppingState();
}

void TransmitterWindow::showSteppingState() {
  if (playPause_) playPause_->setStateText(source_.state().stepping ? kSteppingText : kStoppedText);
  if (source_.stepTimerRuns())
    stepTimer_.start(kStepIntervalMs);
  else
    stepTimer_.stop();
}

void TransmitterWindow::onStepTimer() {
  source_.stepBy(1);
  seekFile();
}

void TransmitterWindow::onPositionScroll(ScrollCode code, int thumbPosition) {
  // A thumb track brings the new place; the other moves have put the bar there already. Thumb
  // position and end of tracking only confirm a move.
  if (!positionBar_ || !movesPosition(code)) return;
  source_.seekTo(code == ScrollCode::ThumbTrack ? thumbPosition : positionBar_->position());
  seekFile();
}

void TransmitterWindow::seekFile() {
  file_->seek(source_.state().position);
  if (positionBar_) positionBar_->setPosition(source_.state().position);
  if (!source_.state().cameraMode) showSource(file_->picture());
}

// ---- controls ----

void TransmitterWindow::createPlayPauseButton(const QString& stateText) {
  playPause_ = withId(new PlayPauseButton(client_), kPlayPauseId);
  placeControl(playPause_, dialogRect(0, 80, 20, 15));
  playPause_->setStateText(stateText);
  connect(playPause_, &QPushButton::clicked, this, &TransmitterWindow::onPlayPause);
  playPause_->show();
}

void TransmitterWindow::createPositionBar() {
  positionBar_ = withId(new PositionBar(client_), kPositionBarId);
  placeControl(positionBar_, kPositionBarRect);
  connect(positionBar_, &PositionBar::scrolled, this, &TransmitterWindow::onPositionScroll);
  positionBar_->show();
}

void TransmitterWindow::createCameraButtons() {
  const auto button = [this](int id, const QString& text, QRect rect,
                             void (TransmitterWindow::*handler)()) {
    auto* b = withId(new QPushButton(text, client_), id);
    placeControl(b, rect);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    b->show();
  };
  button(kVideoSourceId, QStringLiteral("Video &source"), dialogRect(0, 80, 53, 14),
         &TransmitterWindow::onVideoSource);
  button(kVideoFormatId, QStringLiteral("Video &format"), dialogRect(53, 80, 53, 14),
         &TransmitterWindow::onVideoFormat);
}

void TransmitterWindow::destroyControl(int id) {
  QWidget* found = control(id);
  if (found == playPause_) playPause_ = nullptr;
  if (found == positionBar_) positionBar_ = nullptr;
  delete found;
}

QWidget* TransmitterWindow::control(int id) const { return findControl(client_, id); }

QAction* TransmitterWindow::menuAction(int id) const { return findMenuAction(menuBar_, id); }

void TransmitterWindow::showSource(const QImage& picture) {
  area_.setSourcePicture(picture);
  videoWidget_->showImage(area_.image());
}

// ---- the end ----

void TransmitterWindow::done(int result) {
  if (!shutDown_ && services_.saveSettings) services_.saveSettings(currentSettings());
  shutDown();
  QDialog::done(result);
}

void TransmitterWindow::reject() { done(0); }

void TransmitterWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

void TransmitterWindow::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  // The sources first, then the timer that would seek them, then the sound output.
  if (file_) file_->close();
  if (camera_) camera_->disconnectDriver();
  stepTimer_.stop();
  if (soundKeeper_) soundKeeper_->stop();
  if (output_) output_->stopOutput();
}

}  // namespace mosaic
