#include "transmitter/app/transmitter_window.h"

#include "platform/dialog_units.h"
#include "platform/icons.h"
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

namespace mosaic {

namespace {

const QString kCaption = QStringLiteral("Colour TV TX (Voxlane+)");
constexpr int kStepIntervalMs = 1000;
constexpr int kPreviewIntervalMs = 1110;
const QRect kPositionBarRect(31, 130, 129, 24);  // [px]

}  // namespace

TransmitterWindow::TransmitterWindow(TransmitterServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)),
      grab_(std::make_unique<PictureGrab>()) {
  // 1. The window, hidden, with the dialog font; its client area lies below the menu bar.
  setWindowTitle(kCaption);
  setFont(dialogFont());
  client_ = new QWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(client_);
  videoWidget_ = new VideoAreaWidget(client_);
  videoWidget_->move(0, 0);
  // 2. Icons.
  setWindowIcon(programIcon(IconProgram::Transmitter));
  // 3., 4. Button 408 and the position bar.
  createPlayPauseButton(kStoppedText);
  createPositionBar();
  // 5. The menu bar.
  buildMenuBar();
  layout->setMenuBar(menuBar_);
  // 6. The empty video area.
  makeFileSource();
  showSource(QImage());

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
  item(fileMenu, QStringLiteral("Exit"), kExitId);
  item(menuBar_, QStringLiteral("&Output"), kOutputId);
  item(menuBar_, QStringLiteral("&Camera"), kCameraId);
  item(menuBar_, QStringLiteral("&AVI"), kAviId);
  connect(menuBar_, &QMenuBar::triggered, this, &TransmitterWindow::onMenuAction);
}

void TransmitterWindow::initialiseWindow() {
  // 1. Start values of the source and the crawl.
  state_.cameraMode = false;
  state_.position = 0;
  state_.stepping = false;
  crawl_.crawlOn = false;
  // 2.-4. The synthesis constants, marker and grab are built with the window's members.
  // 5. Transmit from now on: two silent buffers, then a frame for every buffer returned.
  output_ = std::make_unique<TransmitOutput>(
      *services_.audio, [this](PicturePlanes& planes) { grabPicture(planes); });
  output_->startOutput();
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

void TransmitterWindow::grabPicture(PicturePlanes& out) {
  grab_->grabPicture(area_, crawl_, readCrawlText(services_.crawlTextPath), out);
  videoWidget_->showImage(area_.image());
}

// ---- file mode ----

void TransmitterWindow::onOpenFile() {
  const std::optional<QString> chosen =
      services_.chooseFile ? services_.chooseFile(this) : std::nullopt;
  if (!chosen) return;
  state_.fileName = chosen->toStdString();
  leaveCameraMode();
  setCaptionFromFileName();
  file_.reset();
  stepTimer_.stop();
  makeFileSource();
  std::string error;
  if (!file_->open(state_.fileName, error) && services_.reportOpenFailure)
    services_.reportOpenFailure(this, *chosen, QString::fromStdString(error));
  if (file_->opening()) setCaptionFromFileName();
  state_.length = file_->length();
  destroyControl(kPlayPauseId);
  createPlayPauseButton(kStoppedText);
  destroyControl(kPositionBarId);
  createPositionBar();
  positionBar_->setLength(state_.length);
  state_.position = 0;
  seekFile();
  state_.stepping = false;
  playPause_->setStateText(kStoppedText);
}

void TransmitterWindow::onSelectFile() {
  state_.cameraMode = false;
  if (state_.fileName.empty())
    setWindowTitle(QStringLiteral("AVI-to-NBTV"));
  else
    setCaptionFromFileName();
  leaveCameraMode();
  destroyControl(kPlayPauseId);
  createPlayPauseButton(QString());
  showSteppingState();
  destroyControl(kPositionBarId);
  createPositionBar();
  positionBar_->setLength(state_.length);
  seekFile();
}

void TransmitterWindow::onPlayPause() {
  if (!playPause_) return;
  state_.stepping = !state_.stepping;
  showSteppingState();
}

void TransmitterWindow::showSteppingState() {
  if (state_.stepping) {
    playPause_->setStateText(kSteppingText);
    startStepTimer();
  } else {
    playPause_->setStateText(kStoppedText);
    stepTimer_.stop();
  }
}

void TransmitterWindow::onStepTimer() {
  state_.position += 1;
  if (state_.position > state_.length) state_.position = 0;
  seekFile();
}

void TransmitterWindow::onPositionScroll(int code, int thumbPosition) {
  if (!positionBar_) return;
  switch (code) {
    case kThumbTrack:
      state_.position = thumbPosition & 0xFFFF;
      break;
    case kLineUp:
    case kLineDown:
    case kPageUp:
    case kPageDown:
    case kTop:
    case kBottom:
      state_.position = positionBar_->position() & 0xFFFF;
      break;
    default:
      return;  // thumb released, end of tracking
  }
  seekFile();
}

void TransmitterWindow::seekFile() {
  file_->seek(state_.position);
  if (positionBar_) positionBar_->setPosition(state_.position);
  if (!state_.cameraMode) showSource(file_->picture());
}

void TransmitterWindow::startStepTimer() { stepTimer_.start(kStepIntervalMs); }

void TransmitterWindow::setCaptionFromFileName() {
  const QString name = QString::fromStdString(state_.fileName);
  const qsizetype slash =
      std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
  // A large file takes a while to open; until then the caption says so.
  const bool opening = file_ && file_->opening();
  setWindowTitle(name.mid(slash + 1) + (opening ? QStringLiteral(" (opening...)") : QString()));
}

void TransmitterWindow::makeFileSource() {
  file_ = services_.makeVideoFile();
  file_->setChangeHandler([this] { onFileChanged(); });
}

void TransmitterWindow::onFileChanged() {
  if (state_.length != file_->length()) {
    state_.length = file_->length();
    if (positionBar_) positionBar_->setLength(state_.length);
  }
  const std::string error = file_->takeOpenError();
  if (!error.empty() && services_.reportOpenFailure)
    services_.reportOpenFailure(this, QString::fromStdString(state_.fileName),
                                QString::fromStdString(error));
  if (state_.cameraMode) return;
  if (!state_.fileName.empty()) setCaptionFromFileName();
  showSource(file_->picture());
}

// ---- camera mode ----

void TransmitterWindow::onSelectCamera() {
  setWindowTitle(QStringLiteral("Live video"));
  stepTimer_.stop();
  if (!state_.cameraMode) {
    destroyControl(kPositionBarId);
    destroyControl(kPlayPauseId);
    createCameraButtons();
    camera_ = services_.makeCamera();
    state_.cameraMode = true;
  }
  reconnectCamera();
}

void TransmitterWindow::reconnectCamera() {
  if (!camera_) return;
  // With no camera the area keeps showing whatever it showed.
  camera_->connectDriver(cameraSettings_);
  camera_->startPreview(kPreviewIntervalMs, [this](const QImage& picture) {
    if (state_.cameraMode) showSource(picture);
  });
}

void TransmitterWindow::leaveCameraMode() {
  if (camera_) camera_->disconnectDriver();
  camera_.reset();  // a disconnected camera has nothing more to show
  destroyControl(kVideoSourceId);
  destroyControl(kVideoFormatId);
  state_.cameraMode = false;
}

void TransmitterWindow::onVideoSource() {
  if (!camera_ || !services_.chooseDevice) return;
  const auto device = services_.chooseDevice(this, camera_->devices(), cameraSettings_.device);
  if (!device) return;
  cameraSettings_.device = *device;
  camera_->disconnectDriver();
  reconnectCamera();
}

void TransmitterWindow::onVideoFormat() {
  if (!camera_ || !services_.chooseFrameSize) return;
  const auto size = services_.chooseFrameSize(this, camera_->frameSizes(),
                                              {cameraSettings_.width, cameraSettings_.height});
  if (!size) return;
  cameraSettings_.width = size->width;
  cameraSettings_.height = size->height;
  camera_->disconnectDriver();
  reconnectCamera();
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
  // 1. Close the file (and the camera with it); 2. stop the step timer; 3. the grab's memory
  // stays with the window until it is destroyed; 4. stop the sound output.
  if (file_) file_->close();
  if (camera_) camera_->disconnectDriver();
  stepTimer_.stop();
  if (output_) output_->stopOutput();
}

}  // namespace mosaic
