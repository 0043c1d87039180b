#pragma once
// The station's log: one JSON object per line for every event, so that other programs can follow
// the station. Each line starts with "time" (UTC, ISO 8601 with milliseconds) and "event"; the
// fields of the event follow, and then the radio's dial, when a reading is at hand ("dial_hz",
// "mode"). Lines are written whole, one write each, and reach the file at once. Any thread may
// write. A log that cannot be written is said once on standard error and never stops the
// station; the log says so when writing works again.

#include "rig/hamlib_rig.h"
#include "station/json_line.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace mosaic::station {

class EventLog {
 public:
  // The newest reading of the radio's dial, if any.
  using DialSource = std::function<std::optional<DialReading>()>;

  EventLog() = default;
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // Standard output for "-"; otherwise the file, appended to and made when missing. Without an
  // opening, nothing is written. False with `error` set when the file cannot be opened.
  bool open(const std::string& target, std::string& error);
  void setDialSource(DialSource dial);

  // Writes one line: the time, `event` and `fields`.
  void write(std::string_view event, const JsonLine& fields = {});

  // Lines that could not be written whole so far.
  int failedLines() const;

 private:
  // Writes `line` whole; false when it could not.
  bool writeAll(const std::string& line);

  mutable std::mutex lock_;
  int fd_ = -1;
  bool ownsFd_ = false;
  DialSource dial_;
  int failed_ = 0;
  bool failing_ = false;
  bool partial_ = false;  // a line was cut short: the next one starts on a line of its own
};

// The current time as the log writes it: "2026-12-07T12:15:30.250Z".
std::string logTimeNow();

}  // namespace mosaic::station
