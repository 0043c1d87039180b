#pragma once
// A plain HTTP/1.1 client on a local TCP connection, for tests and measurements of the
// station's web page: whole requests, or raw bytes as a hostile client would send them.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/loopback_address.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace mosaic::test {

struct HttpAnswer {
  int status = 0;
  std::string head;  // the status line and headers
  std::string body;
  std::string header(std::string name) const {  // the value of header `name`, or empty
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    const auto at = lower.find("\r\n" + name + ":");
    if (at == std::string::npos) return {};
    const auto from = head.find_first_not_of(' ', at + name.size() + 3);
    return head.substr(from, head.find("\r\n", from) - from);
  }
};

class HttpConnection {
 public:
  // Connects to `port` on 127.0.0.1, from the local address `from` (any of 127.0.0.0/8, so
  // that a test can be a second client host).
  explicit HttpConnection(int port, const char* from = "127.0.0.1", int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in source = loopback(0);
    ::inet_pton(AF_INET, from, &source.sin_addr);
    const sockaddr_in server = loopback(port);
    ::bind(fd_, reinterpret_cast<const sockaddr*>(&source), sizeof source);
    ::connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server);
  }
  ~HttpConnection() { ::close(fd_); }
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  bool send(std::string_view bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }

  // GETs (or HEADs) `target` on this connection, kept open for the next request.
  std::optional<HttpAnswer> get(const std::string& target, const std::string& method = "GET",
                                int timeoutMs = 5000) {
    if (!send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")) return {};
    return answer(method == "HEAD", timeoutMs);
  }

  // The next answer, its body as long as its Content-Length says; nullopt when the server
  // closes the connection first or nothing comes within `timeoutMs`.
  std::optional<HttpAnswer> answer(bool headOnly = false, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t end;
    while ((end = pending_.find("\r\n\r\n")) == std::string::npos)
      if (!receive(deadline)) return {};
    HttpAnswer a;
    a.head = pending_.substr(0, end + 2);
    a.status = std::atoi(a.head.c_str() + a.head.find(' ') + 1);
    pending_.erase(0, end + 4);
    const std::string length = a.header("Content-Length");
    const std::size_t size = headOnly || length.empty() ? 0 : std::stoull(length);
    while (pending_.size() < size)
      if (!receive(deadline)) return {};
    a.body = pending_.substr(0, size);
    pending_.erase(0, size);
    return a;
  }

  // Whether the server closes the connection (or resets it) within `timeoutMs`; whatever it
  // sent before is read and dropped.
  bool closedByServer(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (receive(deadline)) pending_.clear();
    return closed_;
  }

  // Reads at most `bytes` that have arrived within `timeoutMs`; the count read, 0 when the
  // server closed, -1 when nothing came.
  long readSome(std::size_t bytes, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return -1;
    std::string chunk(bytes, '\0');
    return std::max<long>(0, ::recv(fd_, chunk.data(), bytes, 0));
  }

 private:
  // Adds what arrives before `deadline` to `pending_`; false when the connection ended or
  // nothing came.
  bool receive(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::max<long>(0, left.count()))) <= 0) return false;
    char chunk[65536];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) {
      closed_ = true;
      return false;
    }
    pending_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  int fd_ = -1;
  bool closed_ = false;
  std::string pending_;
};

// One GET on a fresh connection.
inline std::optional<HttpAnswer> httpGet(int port, const std::string& target) {
  HttpConnection connection(port);
  return connection.get(target);
}

}  // namespace mosaic::test
