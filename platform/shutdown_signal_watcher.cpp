#include "platform/shutdown_signal_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace mosaic {

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe; all a signal handler may safely do is write one byte to it.
std::atomic<int> gWakeFd{-1};

extern "C" void wakeOnSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a pending wake-up, so a failed write loses nothing.
  [[maybe_unused]] const auto written = ::write(gWakeFd.load(), &byte, 1);
  errno = savedErrno;
}

}  // namespace

ShutdownSignalWatcher::ShutdownSignalWatcher(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
    pipe_[0] = pipe_[1] = -1;
    return;
  }
  gWakeFd.store(pipe_[1]);
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { handleWakeUp(); });

  struct sigaction action = {};
  action.sa_handler = wakeOnSignal;
  sigfillset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
}

ShutdownSignalWatcher::~ShutdownSignalWatcher() {
  if (!isActive()) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
  gWakeFd.store(-1);
  notifier_.reset();
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

bool ShutdownSignalWatcher::isActive() const { return pipe_[0] >= 0; }

void ShutdownSignalWatcher::handleWakeUp() {
  char bytes[16];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  if (onSignal_) onSignal_();
}

}  // namespace mosaic
