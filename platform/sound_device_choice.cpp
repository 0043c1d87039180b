#include "platform/sound_device_choice.h"

#include <algorithm>
#include <utility>

namespace mosaic {

void SoundDeviceChoice::choose(std::optional<SoundDeviceName> device) {
  if (device && device->id.empty()) device.reset();
  chosen_ = std::move(device);
  onChosen_ = false;
  refused_ = false;
}

std::optional<SoundDeviceName> SoundDeviceChoice::listedChoice(
    const std::vector<SoundDeviceName>& listed) const {
  if (!chosen_) return std::nullopt;
  for (const auto& device : listed)
    if (device.id == chosen_->id) return device;
  // Some sound systems name a device anew when it is plugged in again; its description stays.
  if (chosen_->description.empty()) return std::nullopt;
  const auto sameName = [this](const SoundDeviceName& d) {
    return d.description == chosen_->description;
  };
  if (std::count_if(listed.begin(), listed.end(), sameName) != 1) return std::nullopt;
  return *std::find_if(listed.begin(), listed.end(), sameName);
}

std::string SoundDeviceChoice::deviceToOpen(const std::vector<SoundDeviceName>& listed) const {
  const auto device = listedChoice(listed);
  return device ? device->id : std::string();
}

void SoundDeviceChoice::opened(const std::string& id, const std::vector<SoundDeviceName>& listed) {
  const auto device = listedChoice(listed);
  onChosen_ = device && !id.empty() && device->id == id;
  if (!device || onChosen_) refused_ = false;
}

void SoundDeviceChoice::refused() { refused_ = true; }

bool SoundDeviceChoice::listChanged(const std::vector<SoundDeviceName>& listed) {
  if (!chosen_) return false;
  if (!listedChoice(listed)) {
    // Gone while in use: its stream is dead, or the sound server has moved it elsewhere. Either
    // way the default takes over now rather than after the stream is found standing still.
    const bool wasInUse = onChosen_;
    onChosen_ = false;
    refused_ = false;
    return wasInUse;
  }
  return !onChosen_ && !refused_;
}

std::string SoundDeviceChoice::note() const {
  if (!standingIn()) return {};
  const std::string name = chosen_->description.empty() ? chosen_->id : chosen_->description;
  if (refused_)
    return "The chosen " + what_ + " \"" + name +
           "\" cannot be opened; the system default is used meanwhile.";
  return "The chosen " + what_ + " \"" + name +
         "\" is not there; the system default is used until it returns.";
}

}  // namespace mosaic
