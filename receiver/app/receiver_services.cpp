#include "receiver/app/receiver_services.h"

#include "platform/mixer_launcher.h"

#include <QDir>
#include <QFileDialog>

namespace mosaic {

std::optional<QString> chooseMovieFileWithDialog(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Save File"), QDir::currentPath(),
                     QStringLiteral("49*48 pixel movie files (*.49);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("49"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

ReceiverServices desktopServices() {
  return ReceiverServices{chooseMovieFileWithDialog,
                          [] { launchMixerOrExplain(MixerView::Recording); }};
}

}  // namespace mosaic
