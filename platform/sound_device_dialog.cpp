#include "platform/sound_device_dialog.h"

#include "platform/sound_server_probe.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mosaic {

SoundDeviceDialog::SoundDeviceDialog(QWidget* parent, const QString& title,
                                     std::vector<SoundDeviceName> usable,
                                     const SoundDeviceSettings& current)
    : QDialog(parent) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QStringLiteral("Devices that open in this program's format:"), this));
  list_ = new QListWidget(this);
  rows_.emplace_back(std::nullopt);
  list_->addItem(QStringLiteral("The system default"));
  int currentRow = 0;
  const auto& chosen = current.device;
  const bool chosenUsable =
      chosen && std::any_of(usable.begin(), usable.end(),
                            [&](const SoundDeviceName& d) { return d.id == chosen->id; });
  for (const auto& device : usable) {
    if (chosen && device.id == chosen->id) currentRow = list_->count();
    rows_.emplace_back(device);
    list_->addItem(
        QString::fromStdString(device.description.empty() ? device.id : device.description));
  }
  if (chosen && !chosenUsable) {
    currentRow = list_->count();
    rows_.emplace_back(chosen);
    const std::string& name = chosen->description.empty() ? chosen->id : chosen->description;
    list_->addItem(QString::fromStdString(name) + QStringLiteral(" (not there now)"));
  }
  list_->setCurrentRow(currentRow);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(buttons);
}

SoundDeviceSettings SoundDeviceDialog::settings() const {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  return {rows_[static_cast<std::size_t>(row)]};
}

std::optional<SoundDeviceSettings> askForSoundDevice(QWidget* parent, SoundDirection direction,
                                                     int sampleRateHz,
                                                     const SoundDeviceSettings& current) {
  // Each device is tried, which takes a moment per device.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::vector<SoundDeviceName> usable = usableSoundDevices(direction, sampleRateHz);
  QApplication::restoreOverrideCursor();
  SoundDeviceDialog dialog(parent,
                           direction == SoundDirection::Playback ? QStringLiteral("Sound output")
                                                                 : QStringLiteral("Sound input"),
                           std::move(usable), current);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.settings();
}

}  // namespace mosaic
