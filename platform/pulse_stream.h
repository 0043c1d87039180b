#pragma once
// One sound stream on the sound server (PulseAudio, or PipeWire speaking its protocol), with a
// connection and a client thread of its own. Every opening makes a new connection, so a program
// comes back whenever the server does, however long it was away; and nothing else in the program
// shares this connection, its thread or its lock, so a server that vanishes takes down exactly
// this stream and nothing that another thread is still using.
//
// The callbacks run on the client thread, with the connection locked: they must be quick and
// must not call back into this object.

#include "platform/sound_device_name.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct pa_context;
struct pa_mainloop_api;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct timeval;

namespace mosaic {

class PulseStream {
 public:
  struct Setup {
    SoundDirection direction = SoundDirection::Playback;
    // The server's name of the device; empty for the server's default one. A named device is
    // never swapped for another: its stream ends with it.
    std::string device;
    int sampleRateHz = 48000;
    // Playback: how much the server holds ahead of the speaker. Recording: how much it gathers
    // before handing it over.
    double bufferSeconds = 0.25;
    // How the program and the stream are named in the server's mixer.
    std::string clientName = "Mosaic TV";
    std::string streamName = "sound";
    // How often the tick handler runs; 0: never.
    int tickMs = 0;
  };

  // Playback: writes up to `count` samples to `samples`, returns how many it wrote (0: nothing
  // is waiting; the server is asked again after fillNow()).
  using Fill = std::function<std::size_t(std::int16_t* samples, std::size_t count)>;
  // Recording: `count` recorded samples, in order.
  using Take = std::function<void(const std::int16_t* samples, std::size_t count)>;
  // Once per opening, when the stream or the connection ends by itself.
  using Failed = std::function<void(const std::string& why)>;
  // Every Setup::tickMs while the stream is open, with its position: playback, the samples
  // played so far (-1 before the server has said); recording, the samples taken so far. Runs
  // whatever the server does, so a stream that stands still can be told.
  using Tick = std::function<void(std::int64_t position)>;

  struct Handlers {
    Fill fill;  // playback
    Take take;  // recording
    Failed failed;
    Tick tick;
  };

  PulseStream() = default;
  ~PulseStream();
  PulseStream(const PulseStream&) = delete;
  PulseStream& operator=(const PulseStream&) = delete;

  // Connects and starts the stream (mono, signed 16-bit). False, with the reason in `error`,
  // when the server cannot be reached or refuses the stream within a few seconds.
  bool open(const Setup& setup, Handlers handlers, std::string& error);
  // Stops the stream and ends the connection; no callback runs once this returns. Not from a
  // callback.
  void close();
  bool isOpen() const { return mainloop_ != nullptr; }

  // Playback: new samples are waiting; the server gets as many as it takes now.
  void fillNow();

 private:
  static void onContextState(pa_context* context, void* self);
  static void onStreamState(pa_stream* stream, void* self);
  static void onWritable(pa_stream* stream, std::size_t bytes, void* self);
  static void onReadable(pa_stream* stream, std::size_t bytes, void* self);
  static void onDeadline(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
  static void onTick(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self);
  bool connect(const Setup& setup, std::string& error);
  enum class Progress { Waiting, Ready, Failed };
  bool waitFor(const std::function<Progress()>& progress, std::string& error);
  void writeWhatFits();
  void readAll();
  void fail(const std::string& why);
  std::string lastError() const;
  // The tick's position (connection locked).
  std::int64_t position() const;

  pa_threaded_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* ticker_ = nullptr;
  SoundDirection direction_ = SoundDirection::Playback;
  int sampleRateHz_ = 0;
  int tickMs_ = 0;
  Handlers handlers_;
  std::int64_t taken_ = 0;  // samples recorded and handed over
  bool timedOut_ = false;   // the opening took too long
  bool live_ = false;       // opened: failures now go to the failed handler (locked)
  bool reported_ = false;   // the failed handler has run
};

}  // namespace mosaic
