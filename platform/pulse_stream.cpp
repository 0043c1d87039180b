#include "platform/pulse_stream.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <utility>

namespace mosaic {

namespace {

// A server that does not answer within this time counts as absent for this attempt.
constexpr pa_usec_t kOpenTimeoutUs = 3 * PA_USEC_PER_SEC;
constexpr std::size_t kBytesPerSample = 2;

}  // namespace

PulseStream::~PulseStream() { close(); }

bool PulseStream::open(const Setup& setup, Handlers handlers, std::string& error) {
  close();
  handlers_ = std::move(handlers);
  direction_ = setup.direction;
  sampleRateHz_ = setup.sampleRateHz;
  tickMs_ = setup.tickMs;
  taken_ = 0;
  live_ = reported_ = timedOut_ = false;
  mainloop_ = pa_threaded_mainloop_new();
  if (!mainloop_) {
    error = "the sound library could not start";
    return false;
  }
  if (pa_threaded_mainloop_start(mainloop_) < 0) {
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
    error = "the sound library could not start";
    return false;
  }
  pa_threaded_mainloop_lock(mainloop_);
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
  timeval deadline;
  pa_timeval_add(pa_gettimeofday(&deadline), kOpenTimeoutUs);
  pa_time_event* timer = api->time_new(api, &deadline, &PulseStream::onDeadline, this);
  const bool connected = connect(setup, error);
  if (timer) api->time_free(timer);
  live_ = connected;
  if (connected && tickMs_ > 0 && handlers_.tick) {
    timeval first;
    pa_timeval_add(pa_gettimeofday(&first), static_cast<pa_usec_t>(tickMs_) * PA_USEC_PER_MSEC);
    ticker_ = api->time_new(api, &first, &PulseStream::onTick, this);
  }
  pa_threaded_mainloop_unlock(mainloop_);
  if (!connected) close();
  return connected;
}

bool PulseStream::connect(const Setup& setup, std::string& error) {
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
  context_ = pa_context_new(api, setup.clientName.c_str());
  if (!context_) {
    error = "the sound library could not start";
    return false;
  }
  pa_context_set_state_callback(context_, &PulseStream::onContextState, this);
  // Never start a server of our own: the user's session owns it.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = "the sound server is not running";
    return false;
  }
  const auto contextProgress = [this] {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY) return Progress::Ready;
    return PA_CONTEXT_IS_GOOD(state) ? Progress::Waiting : Progress::Failed;
  };
  if (!waitFor(contextProgress, error)) return false;

  const pa_sample_spec format{PA_SAMPLE_S16NE, static_cast<std::uint32_t>(setup.sampleRateHz), 1};
  stream_ = pa_stream_new(context_, setup.streamName.c_str(), &format, nullptr);
  if (!stream_) {
    error = lastError();
    return false;
  }
  pa_stream_set_state_callback(stream_, &PulseStream::onStreamState, this);
  const auto bufferBytes = static_cast<std::uint32_t>(
      pa_usec_to_bytes(static_cast<pa_usec_t>(setup.bufferSeconds * PA_USEC_PER_SEC), &format));
  pa_buffer_attr attr;
  attr.maxlength = attr.tlength = attr.prebuf = attr.minreq = attr.fragsize = ~0u;
  // A device named by the program stays that device: when it goes away the stream ends (and
  // the program says so) instead of being moved to whatever the server picks.
  const auto flags = static_cast<pa_stream_flags_t>(
      PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING |
      (setup.device.empty() ? 0 : PA_STREAM_DONT_MOVE));
  const char* device = setup.device.empty() ? nullptr : setup.device.c_str();
  int connected;
  if (setup.direction == SoundDirection::Playback) {
    attr.tlength = bufferBytes;
    // One sample starts playing, also after the queue ran dry: nothing waits for more.
    attr.prebuf = kBytesPerSample;
    pa_stream_set_write_callback(stream_, &PulseStream::onWritable, this);
    connected = pa_stream_connect_playback(stream_, device, &attr, flags, nullptr, nullptr);
  } else {
    attr.fragsize = bufferBytes;
    pa_stream_set_read_callback(stream_, &PulseStream::onReadable, this);
    connected = pa_stream_connect_record(stream_, device, &attr, flags);
  }
  if (connected < 0) {
    error = lastError();
    return false;
  }
  return waitFor(
      [this] {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY) return Progress::Ready;
        return PA_STREAM_IS_GOOD(state) ? Progress::Waiting : Progress::Failed;
      },
      error);
}

// Waits, with the connection locked, until the context or the stream is ready, has failed, or
// the opening has taken too long.
bool PulseStream::waitFor(const std::function<Progress()>& progress, std::string& error) {
  for (;;) {
    switch (progress()) {
      case Progress::Ready:
        return true;
      case Progress::Failed:
        error = lastError();
        return false;
      case Progress::Waiting:
        break;
    }
    if (timedOut_) {
      error = "the sound server did not answer";
      return false;
    }
    pa_threaded_mainloop_wait(mainloop_);
  }
}

void PulseStream::close() {
  if (!mainloop_) return;
  pa_threaded_mainloop_lock(mainloop_);
  live_ = false;
  if (ticker_) {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    api->time_free(ticker_);
    ticker_ = nullptr;
  }
  if (stream_) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  pa_threaded_mainloop_unlock(mainloop_);
  pa_threaded_mainloop_stop(mainloop_);
  pa_threaded_mainloop_free(mainloop_);
  mainloop_ = nullptr;
}

void PulseStream::fillNow() {
  if (!mainloop_) return;
  pa_threaded_mainloop_lock(mainloop_);
  if (live_) writeWhatFits();
  pa_threaded_mainloop_unlock(mainloop_);
}

std::int64_t PulseStream::position() const {
  if (direction_ == SoundDirection::Recording) return taken_;
  pa_usec_t usec = 0;
  if (!stream_ || pa_stream_get_time(stream_, &usec) < 0) return -1;
  // The position runs on between the server's reports, also past the end of a queue that ran
  // dry: never more than was written.
  const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
  if (timing && !timing->write_index_corrupt && timing->write_index >= 0)
    usec = std::min(usec, pa_bytes_to_usec(static_cast<std::uint64_t>(timing->write_index),
                                           pa_stream_get_sample_spec(stream_)));
  return static_cast<std::int64_t>(usec * static_cast<pa_usec_t>(sampleRateHz_) / PA_USEC_PER_SEC);
}

void PulseStream::onContextState(pa_context* context, void* self) {
  auto* me = static_cast<PulseStream*>(self);
  if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
    me->fail("the connection to the sound server ended");
  pa_threaded_mainloop_signal(me->mainloop_, 0);
}

void PulseStream::onStreamState(pa_stream* stream, void* self) {
  auto* me = static_cast<PulseStream*>(self);
  if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
    me->fail("the device went away or the sound server ended the stream");
  pa_threaded_mainloop_signal(me->mainloop_, 0);
}

void PulseStream::onWritable(pa_stream*, std::size_t, void* self) {
  static_cast<PulseStream*>(self)->writeWhatFits();
}

void PulseStream::onReadable(pa_stream*, std::size_t, void* self) {
  static_cast<PulseStream*>(self)->readAll();
}

void PulseStream::onDeadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
  auto* me = static_cast<PulseStream*>(self);
  me->timedOut_ = true;
  pa_threaded_mainloop_signal(me->mainloop_, 0);
}

void PulseStream::onTick(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
  auto* me = static_cast<PulseStream*>(self);
  timeval next;
  pa_timeval_add(pa_gettimeofday(&next), static_cast<pa_usec_t>(me->tickMs_) * PA_USEC_PER_MSEC);
  api->time_restart(event, &next);
  if (me->live_) me->handlers_.tick(me->position());
}

void PulseStream::writeWhatFits() {
  if (!stream_ || !handlers_.fill || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
  std::size_t room = pa_stream_writable_size(stream_);
  if (room == static_cast<std::size_t>(-1)) return;
  while (room >= kBytesPerSample) {
    void* memory = nullptr;
    std::size_t bytes = room;
    if (pa_stream_begin_write(stream_, &memory, &bytes) < 0 || !memory) return;
    bytes = std::min(bytes, room) / kBytesPerSample * kBytesPerSample;
    const std::size_t samples =
        handlers_.fill(static_cast<std::int16_t*>(memory), bytes / kBytesPerSample);
    if (samples == 0) {
      pa_stream_cancel_write(stream_);
      return;
    }
    if (pa_stream_write(stream_, memory, samples * kBytesPerSample, nullptr, 0, PA_SEEK_RELATIVE) <
        0)
      return;
    room -= samples * kBytesPerSample;
  }
}

void PulseStream::readAll() {
  if (!stream_) return;
  while (pa_stream_readable_size(stream_) > 0) {
    const void* data = nullptr;
    std::size_t bytes = 0;
    if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) return;
    const std::size_t samples = bytes / kBytesPerSample;
    if (data) {
      if (handlers_.take) handlers_.take(static_cast<const std::int16_t*>(data), samples);
    } else if (handlers_.take) {
      // A hole in the recording (the server lost data): silence of the same length keeps
      // the time line.
      static const std::array<std::int16_t, 1024> kSilence{};
      for (std::size_t done = 0; done < samples;) {
        const std::size_t n = std::min(kSilence.size(), samples - done);
        handlers_.take(kSilence.data(), n);
        done += n;
      }
    }
    taken_ += static_cast<std::int64_t>(samples);
    pa_stream_drop(stream_);
  }
}

void PulseStream::fail(const std::string& why) {
  if (!live_ || reported_) return;
  reported_ = true;
  if (handlers_.failed) handlers_.failed(why);
}

std::string PulseStream::lastError() const {
  return context_ ? pa_strerror(pa_context_errno(context_)) : "the sound library failed";
}

}  // namespace mosaic
