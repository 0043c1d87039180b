#include "station/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace mosaic::station {

EventLog::~EventLog() {
  if (ownsFd_) ::close(fd_);
}

bool EventLog::open(const std::string& target, std::string& error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (target == "-") {
    fd_ = STDOUT_FILENO;
    return true;
  }
  const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open the log " + target + ": " + std::strerror(errno);
    return false;
  }
  fd_ = fd;
  ownsFd_ = true;
  return true;
}

void EventLog::setDialSource(DialSource dial) {
  std::lock_guard<std::mutex> hold(lock_);
  dial_ = std::move(dial);
}

void EventLog::write(std::string_view event, const JsonLine& fields) {
  JsonLine line;
  line.text("time", logTimeNow()).text("event", event).append(fields);
  std::lock_guard<std::mutex> hold(lock_);
  if (fd_ < 0) return;
  if (dial_) {
    if (const auto dial = dial_()) {
      line.number("dial_hz", dial->frequencyHz, 0).text("mode", dial->mode);
    }
  }
  const bool written = writeAll(line.str() + "\n");
  if (!written) {
    ++failed_;
    if (!failing_) std::fprintf(stderr, "mosaic: cannot write the log: %s\n", std::strerror(errno));
  } else if (failing_) {
    JsonLine note;
    note.text("time", logTimeNow()).text("event", "log_resumed").integer("lines_lost", failed_);
    writeAll(note.str() + "\n");
  }
  failing_ = !written;
}

bool EventLog::writeAll(const std::string& line) {
  const std::string text = partial_ ? "\n" + line : line;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      partial_ = partial_ || done > 0;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  partial_ = false;
  return true;
}

int EventLog::failedLines() const {
  std::lock_guard<std::mutex> hold(lock_);
  return failed_;
}

std::string logTimeNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(millis));
  return text;
}

}  // namespace mosaic::station
