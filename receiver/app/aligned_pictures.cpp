#include "receiver/app/aligned_pictures.h"

#include "receiver/app/aligned_view.h"
#include "receiver/app/received_pictures_window.h"
#include "receiver/pictures/saved_pictures.h"
#include "signal/timing.h"

#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QWidget>

#include <algorithm>

namespace mosaic {

namespace {
constexpr double kBufferSeconds = double(kCaptureSamples) / kRxSampleRateHz;
}  // namespace

AlignedPictures::AlignedPictures(QWidget* client, std::function<void(const QString&)> report)
    : QObject(client),
      client_(client),
      report_(std::move(report)),
      view_(new AlignedView(client)),
      chooseFolder_([](QWidget* parent, const QString& folder) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Pictures folder"), folder);
      }),
      folder_(defaultPictureFolder()) {
  view_->hide();
  client_->installEventFilter(this);
  placeView();
}

AlignedPictures::~AlignedPictures() {
  if (gallery_) delete gallery_.data();
}

void AlignedPictures::newBuffer(const ReceiverEngine& engine) {
  view_->newBuffer(engine);
  estimate_ = engine.tuning();
  snr_ = engine.report().snr;
  framesCombined_ = engine.report().framesCombined;
  if (gallery_ && gallery_->isVisible()) gallery_->showSignal(snr_.snrDb, framesCombined_);
  seconds_ += kBufferSeconds;
  if (!autoSave_) return;
  if (!everyFrame_) {
    keepDistinctPictures(engine);
    return;
  }
  // Every buffer brings a new complete frame once the boundary is known.
  if (!view_->frame().isNull() &&
      worthAutoSaving(estimate_, combinedSnrDb(snr_.snrDb, framesCombined_), autoSaveSnrDb_))
    save(estimate_);
}

void AlignedPictures::keepDistinctPictures(const ReceiverEngine& engine) {
  station::KeeperFrame frame;
  frame.timeSeconds = seconds_;
  frame.locked = estimate_.locked;
  frame.whole = estimate_.locked && !view_->frame().isNull();
  frame.keepable = combinedSnrDb(snr_.snrDb, framesCombined_) >= autoSaveSnrDb_;
  frame.snrDb = snr_.snrDb;
  frame.framesCombined = framesCombined_;
  // Only whole frames are compared: without the lock they show nothing of the picture.
  if (frame.whole) frame.changed = change_.compare(engine.alignedPicture(), snr_.snrDb).changed;
  apply(keeper_->frame(frame));
}

void AlignedPictures::apply(const station::KeeperDecision& decision) {
  if (decision.saveHeldFirst) saveHeld();
  if (decision.holdFrame) {
    held_ = view_->frame().copy();
    heldDetails_ = {
        QDateTime::currentDateTimeUtc(), estimate_, snr_.snrDb, framesCombined_, {}, {}};
  }
  if (decision.saveHeld) saveHeld();
}

void AlignedPictures::saveHeld() {
  if (held_.isNull()) return;
  waiting_.add(held_, heldDetails_);
  writeWaiting();
}

void AlignedPictures::restartKeeping() {
  keeper_.emplace();
  change_ = station::PictureChangeDetector();
  held_ = QImage();
}

void AlignedPictures::setAutoSave(bool on) {
  // A fresh start: nothing held from before is saved, nor taken as the picture seen last.
  if (on && !autoSave_) restartKeeping();
  autoSave_ = on;
}

void AlignedPictures::setAutoSaveEveryFrame(bool on) {
  if (on == everyFrame_) return;
  everyFrame_ = on;
  restartKeeping();
  if (gallery_) gallery_->setEveryFrame(everyFrame_);
}

void AlignedPictures::setShown(bool shown) {
  view_->setVisible(shown);
  QWidget* window = client_->window();
  if (shown) {
    // Room for the picture at six pixels per column at first; the user may make it any size.
    window->setMinimumWidth(window->width() - client_->width() + viewLeft() +
                            kAlignedPanelMinWidth);
    const int wanted = window->width() - client_->width() + viewLeft() + kAlignedColumns * 6;
    if (window->width() < wanted) window->resize(wanted, window->height());
  } else {
    window->setMinimumSize(0, 0);
  }
  placeView();
}

bool AlignedPictures::shown() const { return view_->isVisibleTo(client_); }

bool AlignedPictures::saveNow() {
  reported_ = false;  // a failure now is reported whatever happened before
  if (view_->frame().isNull()) {
    if (report_)
      report_(QStringLiteral("There is no aligned picture yet: no frame boundary has been found."));
    return false;
  }
  return save(estimate_);
}

bool AlignedPictures::save(const TuningEstimate& estimate) {
  waiting_.add(
      view_->frame(),
      {QDateTime::currentDateTimeUtc(), estimate, signalToNoise().snrDb, framesCombined_, {}, {}});
  return writeWaiting();
}

bool AlignedPictures::writeWaiting() {
  const bool any = !waiting_.empty();
  QString error;
  if (!waiting_.writeInto(folder_, error, [this](const QString& path, const PictureDetails&) {
        lastSaved_ = path;
      })) {
    QString problem = error;
    problem += waiting_.size() == 1
                   ? QStringLiteral("\nThe picture waits in memory")
                   : QStringLiteral("\n%1 pictures wait in memory").arg(waiting_.size());
    problem += QStringLiteral(
        " until the folder can take them or another is chosen with "
        "\"Change folder...\" in \"Received pictures\".");
    if (waiting_.dropped() > 0)
      problem += QStringLiteral(" %1 older ones were given up for room.").arg(waiting_.dropped());
    showProblem(problem);
    return false;
  }
  showProblem(QString());
  if (any && gallery_ && gallery_->isVisible()) gallery_->refresh();
  return true;
}

void AlignedPictures::showProblem(const QString& problem) {
  problem_ = problem;
  if (gallery_) gallery_->showProblem(problem_);
  if (problem_.isEmpty()) {
    reported_ = false;
  } else if (!reported_) {
    reported_ = true;
    if (report_) report_(problem_);
  }
}

void AlignedPictures::showReceivedPictures() {
  if (!gallery_) {
    gallery_ = new ReceivedPicturesWindow();
    connect(gallery_, &ReceivedPicturesWindow::changeFolderClicked, this,
            &AlignedPictures::chooseFolder);
    connect(gallery_, &ReceivedPicturesWindow::thresholdChanged, this,
            [this](int snrDb) { autoSaveSnrDb_ = snrDb; });
    connect(gallery_, &ReceivedPicturesWindow::everyFrameChanged, this,
            &AlignedPictures::setAutoSaveEveryFrame);
  }
  gallery_->setFolder(folder_);
  gallery_->setThreshold(autoSaveSnrDb_);
  gallery_->setEveryFrame(everyFrame_);
  gallery_->showProblem(problem_);
  if (snr_.signalPower > 0.0 || snr_.noisePower > 0.0)
    gallery_->showSignal(snr_.snrDb, framesCombined_);
  gallery_->show();
  gallery_->raise();
}

void AlignedPictures::setAutoSaveSnrDb(int snrDb) {
  autoSaveSnrDb_ = std::clamp(snrDb, kLowestAutoSaveSnrDb, kHighestAutoSaveSnrDb);
  if (gallery_) gallery_->setThreshold(autoSaveSnrDb_);
}

void AlignedPictures::setFolder(const QString& folder) {
  folder_ = folder;
  if (gallery_) gallery_->setFolder(folder_);
}

std::optional<QString> AlignedPictures::chosenFolder() const {
  if (folder_ == defaultPictureFolder()) return std::nullopt;
  return folder_;
}

void AlignedPictures::chooseFolder() {
  QWidget* parent = gallery_ ? static_cast<QWidget*>(gallery_) : client_->window();
  const QString chosen = chooseFolder_ ? chooseFolder_(parent, folder_) : QString();
  if (chosen.isEmpty()) return;  // cancelled
  if (const QString problem = pictureFolderProblem(chosen); !problem.isEmpty()) {
    // Said in the window only: the user is looking at it.
    problem_ = problem + QStringLiteral("\nPictures still go to %1.").arg(folder_);
    if (gallery_) gallery_->showProblem(problem_);
    return;
  }
  setFolder(chosen);
  reported_ = false;
  writeWaiting();
}

bool AlignedPictures::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) placeView();
  return QObject::eventFilter(watched, event);
}

int AlignedPictures::viewLeft() const {
  constexpr int kGap = 4;  // [pixels] between the controls and the view
  int left = 0;
  for (const QWidget* w : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w != view_) left = std::max(left, w->geometry().right() + 1);
  return left + kGap;
}

void AlignedPictures::placeView() {
  const int left = viewLeft();
  view_->setGeometry(left, 0, std::max(0, client_->width() - left), client_->height());
}

}  // namespace mosaic
