#pragma once
// Finding the sound devices for the programs' one format: mono, signed 16-bit.

#include "platform/sound_device_choice.h"

#include <QAudioDevice>
#include <QAudioFormat>

#include <optional>
#include <string>
#include <vector>

namespace mosaic {

enum class SoundDirection { Playback, Recording };

// Mono, signed 16-bit samples at `sampleRateHz`.
QAudioFormat monoInt16Format(int sampleRateHz);

// The default device of that direction if it exists and takes the format; otherwise nothing,
// after one line on standard error saying why the program stays silent.
std::optional<QAudioDevice> defaultDeviceFor(SoundDirection direction, const QAudioFormat& format);

// Every device the sound server has, outputs and inputs alike (some systems list a device the
// wrong way round), each once. The server itself is asked: the desktop's lists stop following
// a server that was away for more than a few seconds.
std::vector<SoundDeviceName> listedSoundDevices();

// Of the listed devices, those that the sound server opens in that direction and format.
std::vector<SoundDeviceName> usableSoundDevices(SoundDirection direction, int sampleRateHz);

// The listed device with this id, if the sound server opens it in that direction and format;
// otherwise nothing, after one line on standard error.
std::optional<QAudioDevice> chosenDeviceFor(SoundDirection direction, const std::string& id,
                                            const QAudioFormat& format);

}  // namespace mosaic
