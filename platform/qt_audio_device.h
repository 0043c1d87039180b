#pragma once
// Finding the default sound device for the programs' one format: mono, signed 16-bit.

#include <QAudioDevice>
#include <QAudioFormat>

#include <optional>

namespace mosaic {

enum class SoundDirection { Playback, Recording };

// Mono, signed 16-bit samples at `sampleRateHz`.
QAudioFormat monoInt16Format(int sampleRateHz);

// The default device of that direction if it exists and takes the format; otherwise nothing,
// after one line on standard error saying why the program stays silent.
std::optional<QAudioDevice> defaultDeviceFor(SoundDirection direction, const QAudioFormat& format);

}  // namespace mosaic
