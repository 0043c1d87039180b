#include "platform/sound_server_output.h"

namespace mosaic {

namespace {

// The server is asked to hold this much ahead of the speaker: more than two 1.28 s frames, so
// that everything the program has built is there, even while the program stands still.
constexpr double kServerBufferSeconds = 3.0;
// How often the play position is read. A buffer is returned this much late at worst.
constexpr int kTickMs = 10;

}  // namespace

SoundServerOutput::SoundServerOutput(QObject* parent)
    : QObject(parent),
      stream_(*this, {SoundDirection::Playback, kServerBufferSeconds, kTickMs, "Mosaiccast",
                      "transmission"}) {}

SoundServerOutput::~SoundServerOutput() { close(); }

bool SoundServerOutput::open(int sampleRateHz, BufferDone onBufferDone) {
  close();
  onBufferDone_ = std::move(onBufferDone);
  const bool opened = stream_.open(
      sampleRateHz,
      {[this](std::int16_t* samples, std::size_t count) { return queue_.read(samples, count); },
       nullptr, [this](std::int64_t played) { returnPlayed(played); },
       [this] { return queue_.queued() > 0; }});
  if (!opened) {
    close();
    return false;
  }
  stream_.deliverReports();
  return true;
}

void SoundServerOutput::write(const std::int16_t* samples, int count) {
  if (!stream_.isOpen()) return;
  queue_.enqueue(samples, count);
  stream_.fillNow();
}

void SoundServerOutput::reset() {
  stream_.close();
  queue_.clear();
}

void SoundServerOutput::close() {
  reset();
  onBufferDone_ = nullptr;
}

void SoundServerOutput::returnPlayed(std::int64_t playedSamples) {
  if (playedSamples < 0) return;
  const int finished = queue_.takePlayed(playedSamples);
  const auto at = SoundServerStream::Clock::now();
  // Each buffer as a call of its own, as the device would return them one by one.
  for (int i = 0; i < finished; ++i)
    stream_.post(
        [this] {
          if (onBufferDone_) onBufferDone_();
        },
        at);
}

}  // namespace mosaic
