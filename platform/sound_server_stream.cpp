#include "platform/sound_server_stream.h"

#include <QMetaObject>

#include <cstdio>
#include <utility>

namespace mosaic {

namespace {

// A stream whose position stands still this long while it should move has lost its device,
// whatever the server says.
constexpr auto kStallLimit = std::chrono::seconds(3);

}  // namespace

bool SoundServerStream::open(int sampleRateHz, Handlers handlers) {
  close();
  handlers_ = std::move(handlers);
  lostReported_ = false;
  lastPosition_ = -1;
  lastMoved_ = Clock::now();
  PulseStream::Setup setup;
  setup.direction = kind_.direction;
  setup.device = device_;
  setup.sampleRateHz = sampleRateHz;
  setup.bufferSeconds = kind_.serverBufferSeconds;
  setup.clientName = kind_.clientName;
  setup.streamName = kind_.streamName;
  setup.tickMs = kind_.tickMs;
  std::string error;
  const bool opened = pulse_.open(
      setup,
      {handlers_.fill, handlers_.take, [this](const std::string& why) { reportLost(why); },
       [this](std::int64_t position) { onTick(position); }},
      error);
  openError_ = opened ? std::string() : error;
  if (!opened) {
    const bool playback = kind_.direction == SoundDirection::Playback;
    std::fprintf(stderr, "sound: the %s device failed to start (%s); %s nothing\n",
                 playback ? "playback" : "recording", error.c_str(),
                 playback ? "transmitting" : "receiving");
  }
  return opened;
}

void SoundServerStream::close() {
  delivering_ = false;
  pulse_.close();
  // Reports posted until now belong to the stream that has just been closed.
  ++generation_;
}

void SoundServerStream::post(std::function<void()> report, Clock::time_point finishedAt) {
  QMetaObject::invokeMethod(
      &owner_,
      [this, generation = generation_.load(), finishedAt, report = std::move(report)] {
        if (!delivering_ || generation != generation_) return;
        handOver_.handled(finishedAt);
        report();
      },
      Qt::QueuedConnection);
}

void SoundServerStream::onTick(std::int64_t position) {
  const auto now = Clock::now();
  const bool expected = !handlers_.moving || handlers_.moving();
  if (position != lastPosition_ || !expected) {
    lastPosition_ = position;
    lastMoved_ = now;
  } else if (now - lastMoved_ > kStallLimit) {
    const auto seconds =
        std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kStallLimit).count());
    reportLost(kind_.direction == SoundDirection::Playback
                   ? "playback has stood still for " + seconds + " s"
                   : "no sound has arrived for " + seconds + " s");
    return;
  }
  if (handlers_.tick) handlers_.tick(position);
}

void SoundServerStream::reportLost(const std::string& why) {
  if (lostReported_) return;
  lostReported_ = true;
  QMetaObject::invokeMethod(
      &owner_,
      [this, generation = generation_.load(), why] {
        if (delivering_ && generation == generation_ && onLost_) onLost_(why);
      },
      Qt::QueuedConnection);
}

}  // namespace mosaic
