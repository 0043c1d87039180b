#include "station/web/listen_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mosaic::web {

namespace {

std::string describe(const station::HostPort& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + " port " + std::to_string(address.port);
}

}  // namespace

int listenOn(const station::HostPort& address, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (const int rc = getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found); rc != 0) {
    error = "The web page cannot listen on " + describe(address) + ": " + gai_strerror(rc);
    return -1;
  }
  const int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  int failure = fd < 0 ? errno : 0;
  if (fd >= 0) {
    // A restarted station takes its port back at once instead of after the old connections'
    // TIME_WAIT; a port another program listens on still refuses.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, 64) != 0)
      failure = errno;
  }
  freeaddrinfo(found);
  if (failure == 0) return fd;
  if (fd >= 0) ::close(fd);
  if (failure == EADDRINUSE)
    error = "The web page cannot listen on " + describe(address) +
            ": the port is in use by another program.";
  else
    error = "The web page cannot listen on " + describe(address) + ": " + std::strerror(failure);
  return -1;
}

int boundPort(int socket) {
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
  if (bound.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

}  // namespace mosaic::web
