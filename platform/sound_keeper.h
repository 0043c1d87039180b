#pragma once
// Drives a SoundLink with Qt's event loop: a retry every few seconds while the device is down.
// With a device chosen by the operator it opens that one while it is listed, the system default
// while it is not, and moves back when the chosen one returns; the retries then go on all the
// time, watching the list for it. Needs an event loop, no windows: a program without any (a
// QCoreApplication) keeps its sound device with it just as the windows do.

#include "platform/sound_device_choice.h"
#include "platform/sound_link.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mosaic {

class SoundKeeper : public QObject {
 public:
  static constexpr int kRetrySeconds = 3;

  // Where the devices come from; without them only the default device is used.
  struct Devices {
    // The devices the system lists now, outputs and inputs alike.
    std::function<std::vector<SoundDeviceName>()> listed;
    // Names the device that the next opening takes; empty: the system default.
    std::function<void(const std::string& id)> use;
  };

  // `actions.show` receives what the operator is to be told: the device's trouble first, else a
  // note about the chosen device; empty when all is well.
  SoundKeeper(SoundDirection direction, SoundLink::Actions actions, QObject* parent = nullptr);
  ~SoundKeeper() override;

  void setDevices(Devices devices) { devices_ = std::move(devices); }
  // The operator's device (nothing: the system default). Before start() it is simply the one
  // that start() opens; afterwards the stream moves to it at once.
  void choose(std::optional<SoundDeviceName> device);
  const std::optional<SoundDeviceName>& chosen() const { return choice_.chosen(); }
  // The system default stands in for the chosen device, which is not there.
  bool standingIn() const { return choice_.standingIn(); }

  void start();
  // Call with the reason when the device reports its stream lost.
  void lost(const std::string& why);
  void stop();
  // Tries a device that is down again now, and a chosen device that has come back (the timer
  // does this).
  void retry();
  const SoundLink& link() const { return link_; }
  // The id of the device open now; empty: the default.
  const std::string& deviceInUse() const { return inUse_; }

 private:
  std::vector<SoundDeviceName> listed() const;
  // The chosen device if it is listed and opens, else the default.
  bool openDevice();
  bool openDevice(const std::string& id);
  void followState();

  SoundLink::Actions actions_;
  Devices devices_;
  SoundDeviceChoice choice_;
  SoundLink link_;
  std::string linkStatus_;
  std::string shown_;
  std::string inUse_;
  std::string named_;  // the device last named to the device object
  QTimer retryTimer_;
};

}  // namespace mosaic
