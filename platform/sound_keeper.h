#pragma once
// Drives a SoundLink from the desktop: a retry every few seconds while the device is down, and
// one at once whenever the system's list of sound devices changes (a device plugged in, the
// sound server back).

#include "platform/qt_audio_device.h"
#include "platform/sound_link.h"

#include <QObject>
#include <QTimer>

class QMediaDevices;

namespace mosaic {

class SoundKeeper : public QObject {
 public:
  static constexpr int kRetrySeconds = 3;

  SoundKeeper(SoundDirection direction, SoundLink::Actions actions, QObject* parent = nullptr);
  ~SoundKeeper() override;

  void start();
  // Call with the reason when the device reports its stream lost.
  void lost(const std::string& why);
  void stop();
  // Tries a device that is down again now (the timer and the device list do this).
  void retry();
  const SoundLink& link() const { return link_; }

 private:
  void followState();

  SoundLink link_;
  QTimer retryTimer_;
  QMediaDevices* devices_ = nullptr;
};

}  // namespace mosaic
