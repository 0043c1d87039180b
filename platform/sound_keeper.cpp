#include "platform/sound_keeper.h"

namespace mosaic {

namespace {

std::string deviceWord(SoundDirection direction) {
  return direction == SoundDirection::Playback ? "sound output" : "sound input";
}

}  // namespace

SoundKeeper::SoundKeeper(SoundDirection direction, SoundLink::Actions actions, QObject* parent)
    : QObject(parent),
      actions_(std::move(actions)),
      choice_(deviceWord(direction)),
      link_(deviceWord(direction), kRetrySeconds,
            {[this] { return openDevice(); },
             [this] {
               if (actions_.close) actions_.close();
             },
             [this](const std::string& status) { linkStatus_ = status; },
             [this] { return actions_.whyNot ? actions_.whyNot() : std::string(); }}) {
  retryTimer_.setInterval(kRetrySeconds * 1000);
  connect(&retryTimer_, &QTimer::timeout, this, &SoundKeeper::retry);
}

SoundKeeper::~SoundKeeper() { stop(); }

void SoundKeeper::choose(std::optional<SoundDeviceName> device) {
  choice_.choose(std::move(device));
  if (link_.live()) {
    const auto now = listed();
    if (choice_.deviceToOpen(now) == inUse_)
      choice_.opened(inUse_, now);  // already there
    else
      link_.reopen();
  } else {
    link_.retry();  // a device that is down is tried at once; before start() nothing happens
  }
  followState();
}

void SoundKeeper::start() {
  link_.start();
  followState();
}

void SoundKeeper::lost(const std::string& why) {
  link_.lost(why);
  followState();
}

void SoundKeeper::stop() {
  retryTimer_.stop();
  link_.stop();
}

void SoundKeeper::retry() {
  if (!link_.live())
    link_.retry();
  else if (choice_.chosen() && choice_.listChanged(listed()))
    link_.reopen();
  followState();
}

std::vector<SoundDeviceName> SoundKeeper::listed() const {
  return devices_.listed ? devices_.listed() : std::vector<SoundDeviceName>{};
}

bool SoundKeeper::openDevice() {
  const auto now = listed();
  const std::string wanted = choice_.deviceToOpen(now);
  if (!wanted.empty()) {
    if (openDevice(wanted)) {
      choice_.opened(wanted, now);
      return true;
    }
    choice_.refused();
  }
  if (!openDevice(std::string())) return false;
  choice_.opened({}, now);
  return true;
}

bool SoundKeeper::openDevice(const std::string& id) {
  // Without a choice ever made the device is never named, so a device named beforehand by
  // whoever made it stays as it was.
  if (id != named_ && devices_.use) {
    devices_.use(id);
    named_ = id;
  }
  if (!actions_.open || !actions_.open()) return false;
  inUse_ = id;
  return true;
}

void SoundKeeper::followState() {
  // With a device chosen, the retries also watch the list for it going and coming back.
  if (link_.state() == SoundLink::State::Down || (link_.live() && choice_.chosen())) {
    if (!retryTimer_.isActive()) retryTimer_.start();
  } else {
    retryTimer_.stop();
  }
  std::string status = linkStatus_.empty() && link_.live() ? choice_.note() : linkStatus_;
  if (status == shown_) return;
  shown_ = std::move(status);
  if (actions_.show) actions_.show(shown_);
}

}  // namespace mosaic
