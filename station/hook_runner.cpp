#include "station/hook_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace mosaic::station {

namespace {

using Clock = std::chrono::steady_clock;

// How long a command that was asked to end (SIGTERM) has before it is killed.
constexpr std::chrono::milliseconds kEndGrace{2000};
// How often a running command is looked at.
constexpr std::chrono::milliseconds kPoll{20};

std::string seconds(std::chrono::milliseconds time) {
  const long long ms = time.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

std::string signalName(int signal) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
  if (const char* name = ::sigabbrev_np(signal)) return std::string("SIG") + name;
#endif
  return "signal " + std::to_string(signal);
}

// Ends the command and everything it started (its own process group): asked first, then
// killed if it is still there after a grace period. Returns its wait status.
int endGroup(pid_t pid) {
  ::kill(-pid, SIGTERM);
  const auto deadline = Clock::now() + kEndGrace;
  int status = 0;
  while (Clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      ::kill(-pid, SIGKILL);  // anything it left behind
      return status;
    }
    std::this_thread::sleep_for(kPoll);
  }
  ::kill(-pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace

HookRunner::HookRunner(std::string program, std::chrono::milliseconds timeout, Report report)
    : program_(std::move(program)), timeout_(timeout), report_(std::move(report)) {
  thread_ = std::thread([this] { runAll(); });
}

HookRunner::~HookRunner() { stop(std::chrono::milliseconds(0)); }

void HookRunner::submit(const std::string& picturePath) {
  std::string skipped;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_) {
      skipped = picturePath;
    } else {
      waiting_.push_back(picturePath);
      if (waiting_.size() > kMostWaiting) {
        skipped = waiting_.front();
        waiting_.pop_front();
      }
    }
  }
  wake_.notify_all();
  if (!skipped.empty()) fail(skipped, "skipped: too many pictures were waiting for the command");
}

void HookRunner::stop(std::chrono::milliseconds grace) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!stopping_) {
      stopping_ = true;
      stopDeadline_ = Clock::now() + grace;
    }
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

int HookRunner::succeeded() const {
  std::lock_guard<std::mutex> hold(lock_);
  return succeeded_;
}

int HookRunner::failed() const {
  std::lock_guard<std::mutex> hold(lock_);
  return failed_;
}

void HookRunner::runAll() {
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> hold(lock_);
      wake_.wait(hold, [this] { return stopping_ || !waiting_.empty(); });
      if (waiting_.empty() || (stopping_ && Clock::now() >= stopDeadline_)) break;
      path = waiting_.front();
      waiting_.pop_front();
    }
    const std::string reason = runOne(path);
    if (!reason.empty()) {
      fail(path, reason);
    } else {
      std::lock_guard<std::mutex> hold(lock_);
      ++succeeded_;
    }
  }
  std::deque<std::string> skipped;
  {
    std::lock_guard<std::mutex> hold(lock_);
    skipped.swap(waiting_);
  }
  for (const auto& path : skipped) fail(path, "skipped: the station was stopping");
}

std::string HookRunner::runOne(const std::string& picturePath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // None of the station's own connections and files go with it.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A process group of its own, so that ending it ends what it started; the signals the station
  // ignores or holds back are the command's as usual again.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, s);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  char* const argv[] = {const_cast<char*>(program_.c_str()), const_cast<char*>(picturePath.c_str()),
                        nullptr};
  pid_t pid = -1;
  const int failure = ::posix_spawnp(&pid, program_.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) return "cannot run " + program_ + ": " + std::strerror(failure);

  bool timedOut = false;
  bool stopped = false;
  const int status = waitFor(pid, timedOut, stopped);
  if (timedOut) return program_ + " did not finish within " + seconds(timeout_) + " and was ended";
  if (stopped) return program_ + " was ended because the station was stopping";
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  if (WIFEXITED(status))
    return program_ + " ended with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return program_ + " was ended by " + signalName(WTERMSIG(status));
  return program_ + " ended abnormally";
}

int HookRunner::waitFor(int pid, bool& timedOut, bool& stopped) {
  const auto deadline = Clock::now() + timeout_;
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    const auto now = Clock::now();
    if (now >= deadline) {
      timedOut = true;
      return endGroup(pid);
    }
    std::unique_lock<std::mutex> hold(lock_);
    if (stopping_ && now >= stopDeadline_) {
      stopped = true;
      hold.unlock();
      return endGroup(pid);
    }
    wake_.wait_for(hold, kPoll);
  }
}

void HookRunner::fail(const std::string& picturePath, const std::string& reason) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    ++failed_;
  }
  if (report_) report_(picturePath, reason);
}

}  // namespace mosaic::station
