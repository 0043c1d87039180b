#pragma once
// Runs the operator's command for each saved picture: the program itself, found on PATH when
// it is a bare name, with the picture's path as its one argument and no shell in between, so no
// word of a path can ever become a command. One runs at a time, each for at most `timeout`
// (then it and whatever it started are ended). Pictures saved meanwhile wait their turn, up to
// kMostWaiting; beyond that the oldest is skipped. A thread of its own starts and waits for the
// commands, so a command that hangs never holds up reception. Every failure (the program cannot
// be started, ends with a status other than 0, is ended by a signal, runs too long, is skipped)
// is told to `report`, from that thread; none stops the station.
//
// The command reads nothing (standard input is /dev/null) and its output goes to the station's
// standard error, so that it never mixes into a log written to standard output.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace mosaic::station {

class HookRunner {
 public:
  static constexpr std::size_t kMostWaiting = 16;
  using Report = std::function<void(const std::string& picturePath, const std::string& reason)>;

  HookRunner(std::string program, std::chrono::milliseconds timeout, Report report);
  // Stops as stop() does with no time to finish.
  ~HookRunner();
  HookRunner(const HookRunner&) = delete;
  HookRunner& operator=(const HookRunner&) = delete;

  // Queues a run for the picture at `picturePath`.
  void submit(const std::string& picturePath);
  // Takes no more pictures; the commands still to run and the one running have `grace` to
  // finish, then the running one is ended and the rest are reported as skipped. Returns when the
  // thread has ended.
  void stop(std::chrono::milliseconds grace);

  // Commands that ended on their own with status 0, and failures reported, so far.
  int succeeded() const;
  int failed() const;

 private:
  void runAll();
  // Runs one command to its end; empty when it succeeded, otherwise why not.
  std::string runOne(const std::string& picturePath);
  // Waits for the child `pid` until it ends or must be ended; its wait status.
  int waitFor(int pid, bool& timedOut, bool& stopped);
  void fail(const std::string& picturePath, const std::string& reason);

  const std::string program_;
  const std::chrono::milliseconds timeout_;
  const Report report_;

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::string> waiting_;
  bool stopping_ = false;
  std::chrono::steady_clock::time_point stopDeadline_{};
  int succeeded_ = 0;
  int failed_ = 0;
  std::thread thread_;
};

}  // namespace mosaic::station
