#pragma once
// Which sound device a program uses when the operator has chosen one: the chosen device while
// it is there, the system default while it is not, and back to the chosen one when it returns.
// The choice itself is never dropped for a device's absence. Plain C++, so that every course
// can be run with made-up device lists.

#include "platform/sound_device_name.h"

#include <optional>
#include <string>
#include <vector>

namespace mosaic {

class SoundDeviceChoice {
 public:
  // `what` names the device in messages: "sound output", "sound input".
  explicit SoundDeviceChoice(std::string what) : what_(std::move(what)) {}

  // The operator's choice; nothing: the system default.
  void choose(std::optional<SoundDeviceName> device);
  const std::optional<SoundDeviceName>& chosen() const { return chosen_; }

  // The id of the device to open now, among the devices `listed`: the chosen one when it is
  // listed (by its id, or else by its description when exactly one device has it), otherwise
  // empty for the system default.
  std::string deviceToOpen(const std::vector<SoundDeviceName>& listed) const;
  // The device with this id (empty: the default) was opened.
  void opened(const std::string& id, const std::vector<SoundDeviceName>& listed);
  // The chosen device is listed but would not open; the default is tried next.
  void refused();
  // The device list changed or a retry fell due while the stream runs. True when the stream is
  // to be opened again: on the chosen device that has come back, or on the default when the
  // chosen device in use has gone.
  bool listChanged(const std::vector<SoundDeviceName>& listed);

  // The default stands in for the chosen device.
  bool standingIn() const { return chosen_ && !onChosen_; }
  // What the operator should know about it; empty while the chosen device (or, with no choice,
  // the default) is in use.
  std::string note() const;

 private:
  std::optional<SoundDeviceName> listedChoice(const std::vector<SoundDeviceName>& listed) const;

  std::string what_;
  std::optional<SoundDeviceName> chosen_;
  bool onChosen_ = false;
  // The chosen device was listed but would not open: not tried again until it has been away.
  bool refused_ = false;
};

}  // namespace mosaic
