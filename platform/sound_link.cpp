#include "platform/sound_link.h"

#include <utility>

namespace mosaic {

SoundLink::SoundLink(std::string what, int retrySeconds, Actions actions)
    : what_(std::move(what)), retrySeconds_(retrySeconds), actions_(std::move(actions)) {}

void SoundLink::start() {
  if (stopped_ || state_ == State::Live) return;
  reason_ = "no usable device";
  tryOpen();
}

void SoundLink::lost(const std::string& why) {
  if (stopped_ || state_ != State::Live) return;
  if (actions_.close) actions_.close();
  state_ = State::Down;
  reason_ = why;
  setStatus("No " + what_ + ": " + reason_ + ". Trying again every " +
            std::to_string(retrySeconds_) + " s.");
}

void SoundLink::retry() {
  if (stopped_ || state_ != State::Down) return;
  tryOpen();
}

void SoundLink::reopen() {
  if (stopped_ || state_ == State::Closed) return;
  if (state_ == State::Live && actions_.close) actions_.close();
  state_ = State::Closed;  // a move to another device, not a recovery
  reason_ = "no usable device";
  tryOpen();
}

void SoundLink::stop() {
  if (stopped_) return;
  stopped_ = true;
  if (state_ == State::Live && actions_.close) actions_.close();
  state_ = State::Closed;
}

void SoundLink::tryOpen() {
  const bool wasDown = state_ == State::Down;
  if (actions_.open && actions_.open()) {
    state_ = State::Live;
    if (wasDown) ++recoveries_;
    setStatus({});
    return;
  }
  state_ = State::Down;
  if (actions_.whyNot) {
    std::string why = actions_.whyNot();
    if (!why.empty()) reason_ = std::move(why);
  }
  setStatus("No " + what_ + ": " + reason_ + ". Trying again every " +
            std::to_string(retrySeconds_) + " s.");
}

void SoundLink::setStatus(std::string status) {
  if (status == status_) return;
  status_ = std::move(status);
  if (actions_.show) actions_.show(status_);
}

}  // namespace mosaic
