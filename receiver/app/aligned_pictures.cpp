#include "receiver/app/aligned_pictures.h"

#include "receiver/app/aligned_view.h"
#include "receiver/app/received_pictures_window.h"
#include "receiver/app/saved_pictures.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace mosaic {

AlignedPictures::AlignedPictures(QWidget* client, std::function<void(const QString&)> report)
    : QObject(client),
      client_(client),
      report_(std::move(report)),
      view_(new AlignedView(client)),
      folder_(defaultPictureFolder()) {
  view_->hide();
  client_->installEventFilter(this);
  placeView();
}

AlignedPictures::~AlignedPictures() {
  if (gallery_) delete gallery_.data();
}

void AlignedPictures::newBuffer(const ReceiveChain& chain, const TuningEstimate& estimate,
                                const DemodSettings& demod) {
  view_->newBuffer(chain, estimate, demod);
  estimate_ = estimate;
  // Every buffer brings a new complete frame once the boundary is known.
  if (autoSave_ && !view_->frame().isNull() && worthAutoSaving(estimate)) save(estimate);
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
  autoSaveFailed_ = false;  // a failure now is reported whatever happened before
  return save(estimate_);
}

bool AlignedPictures::save(const TuningEstimate& estimate) {
  QString error;
  const PictureDetails details{QDateTime::currentDateTimeUtc(), estimate};
  const QString path = savePicture(view_->frame(), folder_, details, error);
  if (path.isEmpty()) {
    if (!autoSaveFailed_ && report_) report_(error);
    autoSaveFailed_ = true;
    return false;
  }
  lastSaved_ = path;
  autoSaveFailed_ = false;
  if (gallery_ && gallery_->isVisible()) gallery_->refresh();
  return true;
}

void AlignedPictures::showReceivedPictures() {
  if (!gallery_) gallery_ = new ReceivedPicturesWindow();
  gallery_->setFolder(folder_);
  gallery_->show();
  gallery_->raise();
}

void AlignedPictures::setFolder(const QString& folder) {
  folder_ = folder;
  if (gallery_) gallery_->setFolder(folder_);
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
