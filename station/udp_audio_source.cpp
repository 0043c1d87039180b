#include "station/udp_audio_source.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mosaic::station {

namespace {

// The most a UDP datagram can carry, and one byte more to see that nothing was cut off.
constexpr std::size_t kLargestDatagram = 65536;
// Room in the system for about five seconds of 48000 Hz sound while the thread is held up.
constexpr int kReceiveBufferBytes = 1 << 19;
// How often the thread looks whether it is to stop.
constexpr int kPollMs = 100;

}  // namespace

UdpAudioSource::UdpAudioSource()
    : datagram_(kLargestDatagram + 1), decoded_(kLargestDatagram / 2) {}

UdpAudioSource::~UdpAudioSource() {
  stop();
  if (fd_ >= 0) ::close(fd_);
}

bool UdpAudioSource::open(const HostPort& address, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address.port);
  if (const int failure = ::getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found);
      failure != 0) {
    error = "cannot listen on " + address.host + ": " + ::gai_strerror(failure);
    return false;
  }
  int lastError = 0;
  for (const addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0) {
      lastError = errno;
      ::close(fd);
      continue;
    }
    fd_ = fd;
  }
  ::freeaddrinfo(found);
  if (fd_ < 0) {
    error = "cannot listen on " + address.host + " port " + service + ": " +
            std::strerror(lastError) +
            (lastError == EADDRINUSE ? " (another program receives on that port)" : "");
    return false;
  }
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return true;
}

void UdpAudioSource::start(Listener& listener, std::chrono::milliseconds stallAfter) {
  stopping_ = false;
  thread_ = std::thread([this, &listener, stallAfter] { receive(listener, stallAfter); });
}

void UdpAudioSource::stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

UdpAudioSource::Counts UdpAudioSource::counts() const {
  return {datagrams_.load(), samples_.load(), oddBytes_.load()};
}

void UdpAudioSource::receive(Listener& listener, std::chrono::milliseconds stallAfter) {
  using Clock = std::chrono::steady_clock;
  bool flowing = false;  // datagrams came within `stallAfter`
  Clock::time_point last{};
  while (!stopping_) {
    pollfd wait{fd_, POLLIN, 0};
    const int ready = ::poll(&wait, 1, kPollMs);
    if (ready <= 0) {
      if (flowing && Clock::now() - last >= stallAfter) {
        flowing = false;
        listener.stopped();
      }
      continue;
    }
    const ssize_t got = ::recv(fd_, datagram_.data(), datagram_.size(), MSG_DONTWAIT);
    if (got < 0) continue;  // EAGAIN, or an error the socket reports about an earlier send
    last = Clock::now();
    ++datagrams_;
    if (!flowing) {
      flowing = true;
      if (datagrams_ > 1) listener.resumed();
    }
    const std::size_t bytes = static_cast<std::size_t>(got);
    const std::size_t count = bytes / 2;
    oddBytes_ += static_cast<long long>(bytes % 2);
    for (std::size_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::int16_t>(
          static_cast<std::uint16_t>(datagram_[2 * i] | (datagram_[2 * i + 1] << 8)));
      decoded_[i] = static_cast<float>(value);
    }
    samples_ += static_cast<long long>(count);
    if (count > 0) listener.samples(decoded_.data(), count);
  }
}

}  // namespace mosaic::station
