#pragma once
// Datagrams to a UDP port on this machine, as a program that streams sound over the network
// sends them: 16-bit little-endian samples.

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/loopback_address.h"

#include <cstdint>
#include <vector>

namespace mosaic::test {

class UdpSender {
 public:
  explicit UdpSender(int port)
      : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), to_(loopback(port)) {}
  ~UdpSender() { ::close(fd_); }
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;

  bool send(const std::uint8_t* bytes, std::size_t size) const {
    return ::sendto(fd_, bytes, size, 0, reinterpret_cast<const sockaddr*>(&to_), sizeof to_) ==
           static_cast<ssize_t>(size);
  }

 private:
  int fd_;
  sockaddr_in to_;
};

inline std::vector<std::uint8_t> littleEndian(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t s : samples) {
    const auto u = static_cast<std::uint16_t>(s);
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

// A UDP port on the loopback that nothing uses now, and a socket that holds one.
inline int boundUdpSocket(int& port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopback(0);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}
inline int freeUdpPort() {
  int port = 0;
  ::close(boundUdpSocket(port));
  return port;
}

}  // namespace mosaic::test
