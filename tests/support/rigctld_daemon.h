#pragma once
// A real rigctld with Hamlib's dummy rig on a free local port, started and ended by the test, and
// a question to it over its own text protocol that does not go through the code under test.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/loopback_address.h"

#include <chrono>
#include <optional>
#include <string>
#include <thread>

extern char** environ;

namespace mosaic::test {

class RigctldDaemon {
 public:
  RigctldDaemon() : port_(freeLocalPort()) {}
  ~RigctldDaemon() { kill(); }
  RigctldDaemon(const RigctldDaemon&) = delete;
  RigctldDaemon& operator=(const RigctldDaemon&) = delete;

  // Starts rigctld (dummy rig) and waits until it answers. Told to key the rig with its own
  // commands, or left without a keying method, so that it refuses to key. A rigctld that ends at
  // once (its port was taken meanwhile) is started again, on a new port if it never ran.
  bool start(bool canKey = true) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (attempt > 0 && !everStarted_) port_ = freeLocalPort();
      if (!spawn(canKey)) return false;
      for (int i = 0; i < 500 && running(); ++i) {
        // The answer must come from our own rigctld, still running after it answered.
        if (radioKeyed() && running()) return everStarted_ = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      kill();
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // Ends rigctld at once, as a crash would.
  void kill() {
    if (pid_ < 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // "rigctld:127.0.0.1:PORT", as typed into the port box.
  std::string portText() const { return "rigctld:127.0.0.1:" + std::to_string(port_); }
  std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
  int port() const { return port_; }

  // Asks rigctld whether the rig transmits ("t"); nothing when it does not answer.
  std::optional<bool> radioKeyed() const {
    const std::string reply = ask("t\n");
    if (reply == "0") return false;
    if (reply == "1") return true;
    return std::nullopt;
  }

  // Sends a setting command of rigctld's protocol as another program would ("F 14230000"); the
  // first line of the reply ("RPRT 0" when accepted). A connection that rigctld closes without
  // an answer (seen now and then just after it started) is tried again: a setting sent
  // twice does no harm.
  std::string tell(const std::string& command) const {
    std::string reply;
    for (int attempt = 0; attempt < 10 && reply.empty(); ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      reply = ask(command + "\n");
    }
    return reply;
  }

  // Keys the rig as another program would ("T 1"); true when rigctld accepted it.
  // A rigctld that has only just started may miss the first command on a new connection: it is
  // asked again, briefly, without letting the window under test run meanwhile.
  bool keyRadio() const {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (ask("T 1\n") == "RPRT 0" || radioKeyed() == true) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

 private:
  bool spawn(bool canKey) {
    const std::string port = std::to_string(port_);
    const char* argv[] = {"rigctld",   "-m",   "1",          "-T",
                          "127.0.0.1", "-t",   port.c_str(), canKey ? "-P" : nullptr,
                          "RIG",       nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int failed =
        posix_spawnp(&pid_, "rigctld", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) pid_ = -1;
    return failed == 0;
  }

  // True while our rigctld has not ended; an ended one is reaped.
  bool running() {
    if (pid_ < 0) return false;
    if (::waitpid(pid_, nullptr, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }

  // Sends one command on a connection of its own and returns the first line of the reply.
  std::string ask(const std::string& command) const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in address = loopback(port_);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, command.data(), command.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(command.size())) {
      char c = 0;
      while (reply.size() < 64 && ::recv(fd, &c, 1, 0) == 1 && c != '\n') reply += c;
    }
    ::close(fd);
    return reply;
  }

  // A port that nothing listens on now (the kernel's choice for port 0).
  static int freeLocalPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }

  int port_;
  pid_t pid_ = -1;
  bool everStarted_ = false;
};

}  // namespace mosaic::test
