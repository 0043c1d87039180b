#pragma once
// A local port that resets the first connection made to it, as rigctld can when it has only
// just seen another client leave, and passes every later one through to a real server.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/loopback_address.h"

#include <atomic>
#include <thread>
#include <vector>

namespace mosaic::test {

class DroppingProxy {
 public:
  // Listens on a free local port and forwards to `serverPort` on the same host.
  explicit DroppingProxy(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 8);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    accepting_ = std::thread([this] { acceptAll(); });
  }
  ~DroppingProxy() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    accepting_.join();
    for (auto& t : forwarding_) t.join();
    ::close(listener_);
  }
  DroppingProxy(const DroppingProxy&) = delete;
  DroppingProxy& operator=(const DroppingProxy&) = delete;

  int port() const { return port_; }
  int connections() const { return connections_; }

 private:
  void acceptAll() {
    while (!stop_) {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      if (connections_++ == 0) {
        // Closed with data unread and no lingering: the client sees a reset.
        const linger reset{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(client);
        continue;
      }
      forwarding_.emplace_back([this, client] { forward(client); });
    }
  }

  void forward(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(serverPort_);
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
      char buffer[4096];
      while (!stop_ && ::poll(fds, 2, 50) >= 0) {
        bool ended = false;
        for (int i = 0; i < 2 && !ended; ++i) {
          if (fds[i].revents == 0) continue;
          const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
          ended = n <= 0 || ::send(fds[1 - i].fd, buffer, std::size_t(n), MSG_NOSIGNAL) != n;
        }
        if (ended) break;
      }
    }
    ::close(server);
    ::close(client);
  }

  int serverPort_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread accepting_;
  std::vector<std::thread> forwarding_;
};

}  // namespace mosaic::test
