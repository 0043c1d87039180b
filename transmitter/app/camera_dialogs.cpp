#include "transmitter/app/camera_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace mosaic {

namespace {

// A small modal list dialog; returns the chosen row or -1.
int chooseFromList(QWidget* parent, const QString& title, const QString& emptyNote,
                   const QStringList& items, int current) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget(&dialog);
  list->addItems(items);
  if (current >= 0 && current < items.size())
    list->setCurrentRow(current);
  else if (!items.isEmpty())
    list->setCurrentRow(0);
  if (items.isEmpty()) {
    list->hide();
    layout->addWidget(new QLabel(emptyNote, &dialog));
  } else {
    layout->addWidget(list);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setEnabled(!items.isEmpty());
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || items.isEmpty()) return -1;
  return list->currentRow();
}

}  // namespace

std::optional<std::string> chooseCaptureDevice(QWidget* parent,
                                               const std::vector<std::string>& devices,
                                               const std::string& current) {
  QStringList items;
  int currentRow = -1;
  for (const auto& d : devices) {
    if (d == current) currentRow = items.size();
    items << QString::fromStdString(d);
  }
  const int row = chooseFromList(parent, QStringLiteral("Video source"),
                                 QStringLiteral("No capture device found."), items, currentRow);
  if (row < 0) return std::nullopt;
  return devices[static_cast<std::size_t>(row)];
}

std::optional<FrameSize> chooseFrameSize(QWidget* parent, const std::vector<FrameSize>& sizes,
                                         FrameSize current) {
  QStringList items;
  int currentRow = -1;
  for (const auto& s : sizes) {
    if (s == current) currentRow = items.size();
    items << QStringLiteral("%1 x %2").arg(s.width).arg(s.height);
  }
  const int row = chooseFromList(parent, QStringLiteral("Video format"),
                                 QStringLiteral("The capture device offers no frame sizes."), items,
                                 currentRow);
  if (row < 0) return std::nullopt;
  return sizes[static_cast<std::size_t>(row)];
}

}  // namespace mosaic
