#include "transmitter/app/transmitter_window.h"

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
  const QSize clientSize(dialogUnitsToPixelsX(106), dialogUnitsToPixelsY(107));
  client_->setMinimumSize(0, 0);
  resize(clientSize.width(), clientSize.height() + menuBar_->heightForWidth(clientSize.width()));
}

TransmitterWindow::~TransmitterWindow() { shutDown(); }

void TransmitterWindow::buildMenuBar() {
  menuBar_ = new QMenuBar(this);
  // All four entries fit on one line of the narrow window, as on a classic menu bar.
  menuBar_->setFont(dialogFont());
  menuBar_->setStyleSheet(QStringLiteral(
      "QMenuBar { margin: 0px; spacing: 0px; } QMenuBar::item { padding: 1px 4px; }"));
  QMenu* fileMenu = menuBar_->addMenu(QStringLiteral("&File"));
  const auto item = [](QWidget* menu, const QString& text, int id) {
    auto* action = new QAction(text, menu);
    action->setData(id);
    menu->addAction(action);
  };
  item(fileMenu, QStringLiteral("Open"), kOpenId);
  fileMenu->addSeparator();
  item(fileMenu, QStringLiteral("Crawl on/off"), kCrawlToggleId);
  fileMenu->addSeparator();
  // The narrow bar has no room for another entry.
  item(fileMenu, QStringLiteral("Sound &device..."), kSoundDeviceId);
  fileMenu->addSeparator();
  item(fileMenu, QStringLiteral("Exit"), kExitId);
  item(menuBar_, QStringLiteral("&Output"), kOutputId);
  item(menuBar_, QStringLiteral("&Camera"), kCameraId);
  item(menuBar_, QStringLiteral("&AVI"), kAviId);
  connect(menuBar_, &QMenuBar::triggered, this, &TransmitterWindow::onMenuAction);
}

void TransmitterWindow::initialiseWindow() {
  const TransmitterSettings remembered =
      services_.loadSettings ? services_.loadSettings() : TransmitterSettings{};
  applySettings(remembered);
  // Transmit from now on: two silent buffers, then a frame for every buffer returned.
  output_ = std::make_unique<TransmitOutput>(*services_.audio,
                                             [this](GrabBitmap& bitmap) { grabPicture(bitmap); });
  // A missing or lost device leaves the window working; it says so and tries again, each time
  // from a new silence.
  banner_ = new StatusBanner(client_);
  soundKeeper_ = std::make_unique<SoundKeeper>(
      SoundDirection::Playback,
      SoundLink::Actions{
          [this] {
            output_->startOutput();
            return output_->isOpen();
          },
          [this] { output_->stopOutput(); },
          [this](const std::string& status) { banner_->say(QString::fromStdString(status)); },
          [this] { return services_.audio->openError(); }});
  services_.audio->setLostHandler([this](const std::string& why) { soundKeeper_->lost(why); });
  soundKeeper_->setDevices({services_.listSoundDevices,
                            [this](const std::string& id) { services_.audio->useDevice(id); }});
  soundKeeper_->choose(remembered.soundDevice);
  soundKeeper_->start();
}

int TransmitterWindow::run() {
  initialiseWindow();
  return exec();
}

void TransmitterWindow::onMenuAction(QAction* action) { dispatchCommand(action->data().toInt()); }

void TransmitterWindow::onCommandMessage(quint32 message) {
  dispatchCommand(static_cast<int>(message & 0xFFFFu));
}

void TransmitterWindow::dispatchCommand(int id) {
  switch (id) {
    case kOpenId:
      onOpenFile();
      break;
    case kExitId:
      done(0);
      break;
    case kPlayPauseId:
      onPlayPause();
      break;
    case kCameraId:
      onSelectCamera();
      break;
    case kAviId:
      onSelectFile();
      break;
    case kOutputId:
      if (services_.startMixer) services_.startMixer();
      break;
    case kSoundDeviceId:
      onSoundDevice();
      break;
    case kVideoSourceId:
      onVideoSource();
      break;
    case kVideoFormatId:
      onVideoFormat();
      break;
    case kCrawlToggleId:
      onCrawlToggle(crawl_);
      break;
    default:
      break;
  }
}

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
  source_.step();
  seekFile();
}

void TransmitterWindow::onPositionScroll(ScrollCode code, int thumbPosition) {
  if (positionBar_ && source_.scroll(code, thumbPosition, positionBar_->position())) seekFile();
}

void TransmitterWindow::seekFile() {
  file_->seek(source_.state().position);
  if (positionBar_) positionBar_->setPosition(source_.state().position);
  if (!source_.state().cameraMode) showSource(file_->picture());
}

// ---- controls ----

void TransmitterWindow::createPlayPauseButton(const QString& stateText) {
  playPause_ = new PlayPauseButton(client_);
  playPause_->setGeometry(dialogRect(0, 80, 20, 15));
  playPause_->setStateText(stateText);
  connect(playPause_, &QPushButton::clicked, this, &TransmitterWindow::onPlayPause);
  playPause_->show();
  controls_[kPlayPauseId] = playPause_;
}

void TransmitterWindow::createPositionBar() {
  positionBar_ = new PositionBar(client_);
  positionBar_->setGeometry(kPositionBarRect);
  connect(positionBar_, &PositionBar::scrolled, this, &TransmitterWindow::onPositionScroll);
  positionBar_->show();
  controls_[kPositionBarId] = positionBar_;
}

void TransmitterWindow::createCameraButtons() {
  const auto button = [this](int id, const QString& text, QRect rect,
                             void (TransmitterWindow::*handler)()) {
    auto* b = new QPushButton(text, client_);
    b->setGeometry(rect);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    b->show();
    controls_[id] = b;
  };
  button(kVideoSourceId, QStringLiteral("Video &source"), dialogRect(0, 80, 53, 14),
         &TransmitterWindow::onVideoSource);
  button(kVideoFormatId, QStringLiteral("Video &format"), dialogRect(53, 80, 53, 14),
         &TransmitterWindow::onVideoFormat);
}

void TransmitterWindow::destroyControl(int id) {
  const auto found = controls_.find(id);
  if (found == controls_.end()) return;
  if (found->second == playPause_) playPause_ = nullptr;
  if (found->second == positionBar_) positionBar_ = nullptr;
  delete found->second;
  controls_.erase(found);
}

QWidget* TransmitterWindow::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

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
