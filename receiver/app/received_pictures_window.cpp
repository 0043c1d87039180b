#include "receiver/app/received_pictures_window.h"

#include "receiver/app/saved_pictures.h"

#include <QDesktopServices>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace mosaic {

namespace {
constexpr int kThumbnailWidth = 141;  // three pixels per sent column
constexpr int kThumbnailHeight = 108;
constexpr int kMostThumbnails = 200;  // older pictures stay in the folder, out of the list
}  // namespace

ReceivedPicturesWindow::ReceivedPicturesWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      list_(new QListWidget(this)),
      openFolder_(new QPushButton(QStringLiteral("Open folder"), this)) {
  setWindowTitle(QStringLiteral("Received pictures"));
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kThumbnailWidth, kThumbnailHeight));
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(openFolder_, 0, Qt::AlignLeft);
  connect(openFolder_, &QPushButton::clicked, this, [this] {
    QDir().mkpath(folder_);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder_));
  });
  connect(list_, &QListWidget::itemActivated, this, [](QListWidgetItem* item) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(item->data(Qt::UserRole).toString()));
  });
  resize(4 * (kThumbnailWidth + 24), 2 * (kThumbnailHeight + 40) + 40);
}

void ReceivedPicturesWindow::setFolder(const QString& folder) {
  folder_ = folder;
  refresh();
}

void ReceivedPicturesWindow::refresh() {
  list_->clear();
  const QDir dir(folder_);
  int shown = 0;
  for (const QString& name : savedPictures(folder_)) {
    if (++shown > kMostThumbnails) break;
    const QString path = dir.filePath(name);
    QImageReader reader(path);
    reader.setScaledSize(QSize(kThumbnailWidth, kThumbnailHeight));
    const QImage thumbnail = reader.read();
    if (thumbnail.isNull()) continue;  // not a picture after all: left out
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail)),
                                     QString(name).remove(QStringLiteral("mosaic-")), list_);
    item->setData(Qt::UserRole, path);
    item->setToolTip(path);
  }
}

}  // namespace mosaic
