#pragma once
// Sound sent over the network as UDP datagrams of 16-bit little-endian mono samples, the way
// software-defined radio programs stream their demodulated audio. Every datagram is taken on its
// own: of any length (an odd last byte is left out, so one odd datagram never turns the bytes of
// every later sample around), empty, or as large as a datagram can be. Datagrams are taken in the
// order they arrive; plain samples carry no number that could put them back in another.
//
// A thread of its own receives and tells its listener of the samples (on the 16-bit scale, at
// the sender's rate), of the stream stopping (no datagram for `stallAfter`) and of its coming
// back.

#include "station/host_port.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::station {

class UdpAudioSource {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void samples(const float* samples, std::size_t count) = 0;
    virtual void stopped() = 0;
    virtual void resumed() = 0;
  };
  struct Counts {
    long long datagrams = 0;
    long long samples = 0;
    long long oddBytes = 0;  // last bytes of odd datagrams, left out
  };

  UdpAudioSource();
  ~UdpAudioSource();
  UdpAudioSource(const UdpAudioSource&) = delete;
  UdpAudioSource& operator=(const UdpAudioSource&) = delete;

  // Binds to `address` (a host name or an address of this machine: "0.0.0.0" or "::" for all,
  // "127.0.0.1" for this machine only). False with a message when it cannot: no such address,
  // or the port is taken.
  bool open(const HostPort& address, std::string& error);
  // The port bound (the one asked for, or the system's choice for port 0).
  int port() const { return port_; }

  // Starts receiving; `listener` is called from the source's thread until stop().
  void start(Listener& listener, std::chrono::milliseconds stallAfter);
  void stop();

  Counts counts() const;

 private:
  void receive(Listener& listener, std::chrono::milliseconds stallAfter);

  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<long long> datagrams_{0};
  std::atomic<long long> samples_{0};
  std::atomic<long long> oddBytes_{0};
  std::vector<unsigned char> datagram_;
  std::vector<float> decoded_;
};

}  // namespace mosaic::station
