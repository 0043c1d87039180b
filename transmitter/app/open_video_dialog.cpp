#include "transmitter/app/open_video_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace mosaic {

std::optional<QString> chooseVideoFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Open AVI (no sound)"), QDir::currentPath());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // "*" and not "*.*": here a file name need not have a suffix, and every file is to be shown.
  const QStringList filters{QStringLiteral("All Files (*)"), QStringLiteral("MPG Files (*.mpg)"),
                            QStringLiteral("AVI Files (*.avi)")};
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  dialog.setDefaultSuffix(QStringLiteral("avi"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace mosaic
