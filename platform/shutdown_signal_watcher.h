#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into an ordinary call on the UI thread, so that a program ended
// by a signal still runs its own shut-down (unkeying the radio, writing a recording).

#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

namespace mosaic {

class ShutdownSignalWatcher {
 public:
  // From now on each of these signals calls onSignal from the event loop instead of ending the
  // process. Only one watcher may exist at a time.
  explicit ShutdownSignalWatcher(std::function<void()> onSignal);

  // Puts the signals' earlier handlers back.
  ~ShutdownSignalWatcher();

  ShutdownSignalWatcher(const ShutdownSignalWatcher&) = delete;
  ShutdownSignalWatcher& operator=(const ShutdownSignalWatcher&) = delete;

  // True when the signals are being watched (false if the pipe could not be made).
  bool isActive() const;

 private:
  // Empties the pipe and calls onSignal once for the signals that arrived.
  void handleWakeUp();

  std::function<void()> onSignal_;
  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction previous_[3] = {};
};

}  // namespace mosaic
