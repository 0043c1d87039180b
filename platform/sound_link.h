#pragma once
// Keeps a program's sound device in use across its losses: the first opening, a stream that
// stops with an error or a device that disappears, and the attempts to open it again when the
// device list changes or a retry falls due. It says in words what the operator should know.
// Plain C++, so that the whole course can be run with fake devices.

#include <functional>
#include <string>

namespace mosaic {

class SoundLink {
 public:
  enum class State { Closed, Live, Down };

  struct Actions {
    // Opens the device and starts the stream from the beginning; false when it cannot.
    std::function<bool()> open;
    // Stops the stream and releases the device.
    std::function<void()> close;
    // The status to show; empty when all is well.
    std::function<void(const std::string& status)> show;
    // Why the last opening failed, in the operator's words; empty when that is not known.
    std::function<std::string()> whyNot;
  };

  // `what` names the device in messages: "sound input", "sound output".
  SoundLink(std::string what, int retrySeconds, Actions actions);

  // The first opening.
  void start();
  // The stream stopped or the device went away: it is closed and tried again later. Ignored
  // unless the device is live (a late report of a stream already given up).
  void lost(const std::string& why);
  // The device list changed or a retry fell due: a device that is down is opened again.
  void retry();
  // Another device is to be used: a live device is closed, and the device is opened afresh.
  // Ignored before start() and after stop().
  void reopen();
  // Closes the device for good; nothing is retried afterwards.
  void stop();

  State state() const { return state_; }
  bool live() const { return state_ == State::Live; }
  const std::string& status() const { return status_; }
  // Openings that succeeded after a loss or a failed start.
  int recoveries() const { return recoveries_; }

 private:
  void tryOpen();
  void setStatus(std::string status);

  std::string what_;
  int retrySeconds_;
  Actions actions_;
  State state_ = State::Closed;
  bool stopped_ = false;
  std::string reason_;
  std::string status_;
  int recoveries_ = 0;
};

}  // namespace mosaic
