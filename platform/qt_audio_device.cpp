#include "platform/qt_audio_device.h"

#include "platform/sound_server_probe.h"

#include <QMediaDevices>

#include <algorithm>
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

namespace {

QList<QAudioDevice> allListedDevices() {
  QList<QAudioDevice> devices = QMediaDevices::audioOutputs();
  for (const QAudioDevice& input : QMediaDevices::audioInputs()) {
    const bool known = std::any_of(devices.begin(), devices.end(),
                                   [&](const QAudioDevice& d) { return d.id() == input.id(); });
    if (!known) devices.append(input);
  }
  return devices;
}

}  // namespace

std::vector<SoundDeviceName> listedSoundDevices() { return soundServerDevices(); }

std::vector<SoundDeviceName> usableSoundDevices(SoundDirection direction, int sampleRateHz) {
  // The desktop's own lists of outputs and inputs are not trusted: the server is asked.
  const std::vector<SoundDeviceName> listed = listedSoundDevices();
  std::vector<std::string> ids;
  for (const auto& device : listed) ids.push_back(device.id);
  const std::vector<bool> opens = soundServerOpens(direction, sampleRateHz, ids);
  std::vector<SoundDeviceName> usable;
  for (std::size_t i = 0; i < listed.size(); ++i)
    if (opens[i]) usable.push_back(listed[i]);
  return usable;
}

std::optional<QAudioDevice> chosenDeviceFor(SoundDirection direction, const std::string& id,
                                            const QAudioFormat& format) {
  const QByteArray wanted = QByteArray::fromStdString(id);
  for (const QAudioDevice& device : allListedDevices()) {
    if (device.id() != wanted) continue;
    // The server is asked first: the desktop's sound layer waits for good on a stream that the
    // server refuses.
    if (soundServerOpens(direction, format.sampleRate(), {id}).front()) return device;
    break;
  }
  std::fprintf(stderr, "sound: the chosen device %s cannot be opened now\n", id.c_str());
  return std::nullopt;
}

}  // namespace mosaic
