#pragma once
// Where `mosaic monitor` takes its sound from. Each source brings it to the receiver's 9600 Hz
// and feeds the capture queue from a thread of its own.

#include "station/reception_queue.h"
#include "station/udp_audio_source.h"
#include "tools/decode_recording.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::tool {

class MonitorSource {
 public:
  virtual ~MonitorSource() = default;
  virtual void start() = 0;
  // Returns when the source's thread has ended; cancel the queue first, so that a source
  // waiting for room stops waiting.
  virtual void stop() = 0;
  // A read error that ended the source early; empty when none.
  virtual std::string failure() const { return {}; }
};

// UDP datagrams of 16-bit little-endian mono samples at `rateHz`, resampled to the receiver's rate.
class UdpMonitorSource final : public MonitorSource, private station::UdpAudioSource::Listener {
 public:
  // The stream is stopped after this long without a datagram.
  static constexpr std::chrono::milliseconds kStallAfter{2000};

  UdpMonitorSource(station::ReceptionQueue& queue, int rateHz);
  // Binds to `address`; false with a message when it cannot.
  bool open(const station::HostPort& address, std::string& error);
  int port() const { return udp_.port(); }
  void start() override;
  void stop() override;

 private:
  void samples(const float* samples, std::size_t count) override;
  void stopped() override;
  void resumed() override;

  station::ReceptionQueue& queue_;
  station::UdpAudioSource udp_;
  Resampler resampler_;
  std::vector<std::int16_t> converted_;
};

// A recording read from its start to its end, as fast as the queue takes it or at the speed of
// the recording's own clock.
class FileMonitorSource final : public MonitorSource {
 public:
  FileMonitorSource(station::ReceptionQueue& queue, bool realtime);
  ~FileMonitorSource() override;
  bool open(const std::string& path, std::string& error);
  void start() override;
  void stop() override;
  std::string failure() const override;

 private:
  void readAll();

  station::ReceptionQueue& queue_;
  const bool realtime_;
  RecordingReader reader_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  mutable std::mutex lock_;
  std::string failure_;
};

}  // namespace mosaic::tool
