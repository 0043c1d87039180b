#include "platform/qt_audio_device.h"

#include <QMediaDevices>

#include <cstdio>

namespace mosaic {

QAudioFormat monoInt16Format(int sampleRateHz) {
  QAudioFormat format;
  format.setSampleRate(sampleRateHz);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

std::optional<QAudioDevice> defaultDeviceFor(SoundDirection direction, const QAudioFormat& format) {
  const bool playback = direction == SoundDirection::Playback;
  const QAudioDevice device =
      playback ? QMediaDevices::defaultAudioOutput() : QMediaDevices::defaultAudioInput();
  const char* consequence = playback ? "transmitting nothing" : "receiving nothing";
  if (device.isNull()) {
    std::fprintf(stderr, "sound: no %s device; %s\n", playback ? "playback" : "recording",
                 consequence);
    return std::nullopt;
  }
  if (!device.isFormatSupported(format)) {
    std::fprintf(stderr, "sound: %s cannot %s %d Hz mono 16-bit; %s\n",
                 qPrintable(device.description()), playback ? "play" : "record",
                 format.sampleRate(), consequence);
    return std::nullopt;
  }
  return device;
}

}  // namespace mosaic
