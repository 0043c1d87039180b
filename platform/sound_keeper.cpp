#include "platform/sound_keeper.h"

#include <QMediaDevices>

namespace mosaic {

SoundKeeper::SoundKeeper(SoundDirection direction, SoundLink::Actions actions, QObject* parent)
    : QObject(parent),
      link_(direction == SoundDirection::Playback ? "sound output" : "sound input", kRetrySeconds,
            std::move(actions)),
      devices_(new QMediaDevices(this)) {
  retryTimer_.setInterval(kRetrySeconds * 1000);
  connect(&retryTimer_, &QTimer::timeout, this, &SoundKeeper::retry);
  if (direction == SoundDirection::Playback) {
    connect(devices_, &QMediaDevices::audioOutputsChanged, this, &SoundKeeper::retry);
  } else {
    connect(devices_, &QMediaDevices::audioInputsChanged, this, &SoundKeeper::retry);
  }
}

SoundKeeper::~SoundKeeper() { stop(); }

void SoundKeeper::start() {
  link_.start();
  followState();
}

void SoundKeeper::lost(const std::string& why) {
  link_.lost(why);
  followState();
}

void SoundKeeper::stop() {
  retryTimer_.stop();
  link_.stop();
}

void SoundKeeper::retry() {
  link_.retry();
  followState();
}

void SoundKeeper::followState() {
  if (link_.state() == SoundLink::State::Down) {
    if (!retryTimer_.isActive()) retryTimer_.start();
  } else {
    retryTimer_.stop();
  }
}

}  // namespace mosaic
