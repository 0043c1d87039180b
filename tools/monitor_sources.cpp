#include "tools/monitor_sources.h"

#include "signal/timing.h"

#include <chrono>

namespace mosaic::tool {

UdpMonitorSource::UdpMonitorSource(station::ReceptionQueue& queue, int rateHz)
    : queue_(queue), resampler_(rateHz, kRxSampleRateHz) {
  // Room for the largest datagram's samples after resampling, taken once.
  converted_.reserve(65536);
}

bool UdpMonitorSource::open(const station::HostPort& address, std::string& error) {
  return resampler_.ready(error) && udp_.open(address, error);
}

void UdpMonitorSource::start() { udp_.start(*this, kStallAfter); }

void UdpMonitorSource::stop() { udp_.stop(); }

void UdpMonitorSource::samples(const float* samples, std::size_t count) {
  converted_.clear();
  std::string error;
  if (!resampler_.convert(samples, count, false, converted_, error)) return;
  queue_.pushSamples(converted_.data(), converted_.size());
}

void UdpMonitorSource::stopped() { queue_.pushEvent(station::ReceptionQueue::Kind::Stopped); }

void UdpMonitorSource::resumed() { queue_.pushEvent(station::ReceptionQueue::Kind::Resumed); }

FileMonitorSource::FileMonitorSource(station::ReceptionQueue& queue, bool realtime)
    : queue_(queue), realtime_(realtime) {}

FileMonitorSource::~FileMonitorSource() { stop(); }

bool FileMonitorSource::open(const std::string& path, std::string& error) {
  return reader_.open(path, ChannelChoice::Mix, error);
}

void FileMonitorSource::start() {
  thread_ = std::thread([this] { readAll(); });
}

void FileMonitorSource::stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string FileMonitorSource::failure() const {
  std::lock_guard<std::mutex> hold(lock_);
  return failure_;
}

void FileMonitorSource::readAll() {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  long long samples = 0;
  std::vector<std::int16_t> piece;
  std::string error;
  while (!stopping_) {
    if (!reader_.next(piece, error)) {
      std::lock_guard<std::mutex> hold(lock_);
      failure_ = error;
      break;
    }
    if (piece.empty()) break;
    if (realtime_) {
      // The piece is due when the sound before it has played.
      const auto due =
          start + std::chrono::duration_cast<Clock::duration>(
                      std::chrono::duration<double>(double(samples) / kRxSampleRateHz));
      while (!stopping_ && Clock::now() < due)
        std::this_thread::sleep_for(
            std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(100)));
    }
    samples += static_cast<long long>(piece.size());
    if (!queue_.pushSamples(piece.data(), piece.size())) return;
  }
  queue_.pushEvent(station::ReceptionQueue::Kind::Ended);
}

}  // namespace mosaic::tool
