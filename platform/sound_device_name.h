#pragma once
// How the sound server names a device, and which way a program's sound runs through it.

#include <string>

namespace mosaic {

enum class SoundDirection { Playback, Recording };

// A device as the sound system names it (`id`) and as the operator knows it (`description`).
struct SoundDeviceName {
  std::string id;
  std::string description;
  bool operator==(const SoundDeviceName&) const = default;
};

}  // namespace mosaic
