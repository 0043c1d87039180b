#pragma once
// Asks the sound server itself which devices it has and whether a device takes the programs'
// stream: mono, signed 16-bit at the given rate. Each device is tried with a real stream that is
// started paused and closed at once, so nothing is heard. The desktop's device lists are not
// trusted for this: they may list a device the wrong way round, and stop following a server that
// was away for more than a few seconds.

#include "platform/sound_device_name.h"

#include <string>
#include <vector>

namespace mosaic {

// The devices the server has now, playback devices first, each once (a playback device's
// monitor is not listed); nothing when no sound server answers. Asked afresh each time, so that
// the list follows a server that was away (the desktop's own lists may stop following it).
std::vector<SoundDeviceName> soundServerDevices();

// For each device id, whether a stream in that direction opens on it. All false when no sound
// server answers; each answer is awaited for two seconds at most.
std::vector<bool> soundServerOpens(SoundDirection direction, int sampleRateHz,
                                   const std::vector<std::string>& ids);

// Of the devices the server has, those that open in that direction at that rate.
std::vector<SoundDeviceName> usableSoundDevices(SoundDirection direction, int sampleRateHz);

}  // namespace mosaic
