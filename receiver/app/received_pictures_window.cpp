#include "receiver/app/received_pictures_window.h"

#include "receiver/pictures/saved_pictures.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
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
      folderLabel_(new QLabel(this)),
      changeFolder_(new QPushButton(QStringLiteral("Change folder..."), this)),
      openFolder_(new QPushButton(QStringLiteral("Open folder"), this)),
      threshold_(new QSpinBox(this)),
      everyFrame_(
          new QCheckBox(QStringLiteral("Auto-save every frame, not each picture once"), this)),
      signal_(new QLabel(this)),
      problem_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Received pictures"));
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kThumbnailWidth, kThumbnailHeight));
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  threshold_->setRange(kLowestAutoSaveSnrDb, kHighestAutoSaveSnrDb);
  threshold_->setValue(kDefaultAutoSaveSnrDb);
  threshold_->setSuffix(QStringLiteral(" dB"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
  problem_->hide();

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(new QLabel(QStringLiteral("Folder:"), this));
  folderRow->addWidget(folderLabel_, 1);
  folderRow->addWidget(changeFolder_);
  folderRow->addWidget(openFolder_);
  auto* qualityRow = new QHBoxLayout;
  qualityRow->addWidget(
      new QLabel(QStringLiteral("Auto-save from a signal-to-noise ratio of"), this));
  qualityRow->addWidget(threshold_);
  qualityRow->addSpacing(16);
  qualityRow->addWidget(signal_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(problem_);
  layout->addLayout(folderRow);
  layout->addLayout(qualityRow);
  layout->addWidget(everyFrame_);
  showSignal(-1000.0);

  connect(changeFolder_, &QPushButton::clicked, this, &ReceivedPicturesWindow::changeFolderClicked);
  connect(openFolder_, &QPushButton::clicked, this, [this] {
    QDir().mkpath(folder_);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder_));
  });
  connect(threshold_, &QSpinBox::valueChanged, this, &ReceivedPicturesWindow::thresholdChanged);
  connect(everyFrame_, &QCheckBox::toggled, this, &ReceivedPicturesWindow::everyFrameChanged);
  connect(list_, &QListWidget::itemActivated, this, [](QListWidgetItem* item) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(item->data(Qt::UserRole).toString()));
  });
  resize(4 * (kThumbnailWidth + 24), 2 * (kThumbnailHeight + 40) + 100);
}

void ReceivedPicturesWindow::setFolder(const QString& folder) {
  folder_ = folder;
  folderLabel_->setText(QDir::toNativeSeparators(folder));
  folderLabel_->setToolTip(folderLabel_->text());
  refresh();
}

void ReceivedPicturesWindow::setEveryFrame(bool on) {
  const QSignalBlocker quiet(everyFrame_);  // only the user's changes are news
  everyFrame_->setChecked(on);
}

void ReceivedPicturesWindow::setThreshold(int snrDb) {
  const QSignalBlocker quiet(threshold_);  // only the user's changes are news
  threshold_->setValue(snrDb);
}

void ReceivedPicturesWindow::showSignal(double snrDb, int framesCombined) {
  if (snrDb < -100.0) {
    signal_->setText(QStringLiteral("Now: no signal measured yet"));
  } else if (framesCombined > 1) {
    signal_->setText(QStringLiteral("Now: %1 dB, %2 frames combined: as %3 dB")
                         .arg(snrDb, 0, 'f', 1)
                         .arg(framesCombined)
                         .arg(combinedSnrDb(snrDb, framesCombined), 0, 'f', 1));
  } else {
    signal_->setText(QStringLiteral("Now: %1 dB").arg(snrDb, 0, 'f', 1));
  }
}

void ReceivedPicturesWindow::showProblem(const QString& text) {
  problem_->setText(text);
  problem_->setVisible(!text.isEmpty());
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
    // The details are read before the pixels: the text chunks come first in our files.
    const QString snr = reader.text(QStringLiteral("SNR"));
    const QString tuning = reader.text(QStringLiteral("Tuning"));
    const QString clock = reader.text(QStringLiteral("Clock"));
    const QImage thumbnail = reader.read();
    if (thumbnail.isNull()) continue;  // not a picture after all: left out
    QString caption =
        QString(name).remove(QStringLiteral("mosaic-")).remove(QStringLiteral(".png"));
    if (!snr.isEmpty()) caption += QLatin1Char('\n') + snr.section(QLatin1Char(' '), 0, 1);
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail)), caption, list_);
    item->setData(Qt::UserRole, path);
    QString tip = path;
    if (!snr.isEmpty())
      tip += QStringLiteral("\nSNR %1, tuning %2, clock %3").arg(snr, tuning, clock);
    item->setToolTip(tip);
  }
}

}  // namespace mosaic
