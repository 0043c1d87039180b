#include "platform/sound_server_input.h"

namespace mosaic {

namespace {

// Samples recorded while the owner holds both buffers wait this long at most.
constexpr int kBacklogSeconds = 8;
// The server gathers this much before handing it over.
constexpr double kServerBufferSeconds = 0.25;
// How often the stream is checked for sound still arriving.
constexpr int kTickMs = 500;

}  // namespace

SoundServerInput::SoundServerInput(QObject* parent)
    : QObject(parent),
      stream_(*this, {SoundDirection::Recording, kServerBufferSeconds, kTickMs, "Mosaicview",
                      "reception"}) {}

SoundServerInput::~SoundServerInput() { close(); }

bool SoundServerInput::open(int sampleRateHz, BufferFilled onBufferFilled) {
  close();
  sampleRateHz_ = sampleRateHz;
  onBufferFilled_ = std::move(onBufferFilled);
  queue_.emplace(sampleRateHz * kBacklogSeconds);
  // The stream is opened here, so that a server or device that is not there fails the opening;
  // what arrives before start() waits in the backlog.
  if (!openStream()) {
    close();
    return false;
  }
  return true;
}

bool SoundServerInput::openStream() {
  return stream_.open(sampleRateHz_, {nullptr,
                                      [this](const std::int16_t* samples, std::size_t count) {
                                        report(queue_->record(samples, static_cast<int>(count)));
                                      },
                                      nullptr, nullptr});
}

void SoundServerInput::queue(int bufferId, std::int16_t* samples, int count) {
  if (queue_) report(queue_->queue(bufferId, samples, count));
}

void SoundServerInput::start() {
  if (!queue_ || stream_.delivering()) return;
  if (!stream_.isOpen() && !openStream()) return;
  stream_.deliverReports();
}

void SoundServerInput::reset() {
  stream_.close();
  if (queue_) queue_->clear();
}

void SoundServerInput::close() {
  reset();
  queue_.reset();
  onBufferFilled_ = nullptr;
}

void SoundServerInput::report(const std::vector<int>& filled) {
  const auto at = SoundServerStream::Clock::now();
  // Always through the owner's event loop, never inside the recording or the queuing.
  for (const int id : filled)
    stream_.post(
        [this, id] {
          if (onBufferFilled_) onBufferFilled_(id);
        },
        at);
}

}  // namespace mosaic
