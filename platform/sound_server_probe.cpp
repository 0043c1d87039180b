#include "platform/sound_server_probe.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>

namespace mosaic {

namespace {

constexpr auto kAnswerLimit = std::chrono::seconds(2);
constexpr int kPollMicroseconds = 20000;

SoundDeviceName named(const char* id, const char* description) {
  return {id ? id : "", description ? description : ""};
}

// One connection to the server with a main loop of its own, run only while an answer is
// awaited.
class ServerProbe {
 public:
  ServerProbe() : loop_(pa_mainloop_new()) {
    if (loop_) context_ = pa_context_new(pa_mainloop_get_api(loop_), "Mosaic TV device probe");
  }
  ~ServerProbe() {
    if (context_) {
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    if (loop_) pa_mainloop_free(loop_);
  }
  ServerProbe(const ServerProbe&) = delete;
  ServerProbe& operator=(const ServerProbe&) = delete;

  bool connect() {
    if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      return false;
    awaitAnswer([this] {
      const pa_context_state_t state = pa_context_get_state(context_);
      return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
  }

  bool opens(SoundDirection direction, const pa_sample_spec& sampleFormat, const std::string& id) {
    pa_stream* stream = pa_stream_new(context_, "Mosaic TV device probe", &sampleFormat, nullptr);
    if (!stream) return false;
    const int asked =
        direction == SoundDirection::Playback
            ? pa_stream_connect_playback(stream, id.c_str(), nullptr, PA_STREAM_START_CORKED,
                                         nullptr, nullptr)
            : pa_stream_connect_record(stream, id.c_str(), nullptr, PA_STREAM_START_CORKED);
    if (asked == 0)
      awaitAnswer([stream] {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
      });
    const bool ready = asked == 0 && pa_stream_get_state(stream) == PA_STREAM_READY;
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    return ready;
  }

  // The server's playback devices, then its recording devices other than the playback devices'
  // monitors, in the server's order.
  std::vector<SoundDeviceName> devices() {
    struct Listing {
      std::vector<SoundDeviceName> names;
      int done = 0;
    } listing;
    pa_operation* sinks = pa_context_get_sink_info_list(
        context_,
        [](pa_context*, const pa_sink_info* info, int last, void* data) {
          auto& l = *static_cast<Listing*>(data);
          if (last) ++l.done;
          if (!last && info) l.names.push_back(named(info->name, info->description));
        },
        &listing);
    pa_operation* sources = pa_context_get_source_info_list(
        context_,
        [](pa_context*, const pa_source_info* info, int last, void* data) {
          auto& l = *static_cast<Listing*>(data);
          if (last) ++l.done;
          if (!last && info && info->monitor_of_sink == PA_INVALID_INDEX)
            l.names.push_back(named(info->name, info->description));
        },
        &listing);
    awaitAnswer([&] { return listing.done == 2; });
    for (pa_operation* op : {sinks, sources})
      if (op) pa_operation_unref(op);
    if (listing.done != 2) return {};
    return listing.names;
  }

 private:
  template <typename Answered>
  void awaitAnswer(Answered answered) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    while (!answered() && std::chrono::steady_clock::now() < deadline) {
      if (pa_mainloop_prepare(loop_, kPollMicroseconds) < 0 || pa_mainloop_poll(loop_) < 0 ||
          pa_mainloop_dispatch(loop_) < 0)
        return;
    }
  }

  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

}  // namespace

std::vector<SoundDeviceName> soundServerDevices() {
  ServerProbe probe;
  if (!probe.connect()) return {};
  return probe.devices();
}

std::vector<bool> soundServerOpens(SoundDirection direction, int sampleRateHz,
                                   const std::vector<std::string>& ids) {
  std::vector<bool> opens(ids.size(), false);
  ServerProbe probe;
  if (!probe.connect()) return opens;
  pa_sample_spec sampleFormat;
  sampleFormat.format = PA_SAMPLE_S16LE;
  sampleFormat.rate = static_cast<std::uint32_t>(sampleRateHz);
  sampleFormat.channels = 1;
  for (std::size_t i = 0; i < ids.size(); ++i)
    opens[i] = !ids[i].empty() && probe.opens(direction, sampleFormat, ids[i]);
  return opens;
}

std::vector<SoundDeviceName> usableSoundDevices(SoundDirection direction, int sampleRateHz) {
  const std::vector<SoundDeviceName> listed = soundServerDevices();
  std::vector<std::string> ids;
  for (const auto& device : listed) ids.push_back(device.id);
  const std::vector<bool> opens = soundServerOpens(direction, sampleRateHz, ids);
  std::vector<SoundDeviceName> usable;
  for (std::size_t i = 0; i < listed.size(); ++i)
    if (opens[i]) usable.push_back(listed[i]);
  return usable;
}

}  // namespace mosaic
