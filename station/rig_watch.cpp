#include "station/rig_watch.h"

#include <condition_variable>
#include <future>
#include <mutex>

namespace mosaic::station {

namespace {
// How long stop() waits for a question to the radio to come back.
constexpr std::chrono::seconds kMostStopWait{3};
}  // namespace

// What the watch's thread and its owner share; the thread holds it too, so that a thread left to
// end by itself never touches a watch that is gone.
struct RigWatch::Shared {
  RigAddress address;
  Report report;
  Timing timing;
  std::mutex lock;
  // Held while `report` runs, outside `lock`: the report may ask for the latest reading.
  std::mutex reporting;
  std::condition_variable wake;
  bool stopping = false;
  bool asked = false;  // the radio has been asked once
  std::condition_variable answered;
  std::optional<DialReading> latest;
  std::promise<void> ended;

  // Waits `time` or until stopping; false when stopping.
  bool pause(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> hold(lock);
    return !wake.wait_for(hold, time, [this] { return stopping; });
  }
  // Keeps `reading` (nothing: the radio is away) and reports a change, unless stopping.
  void note(std::optional<DialReading> reading, bool changed, const std::string& why) {
    std::lock_guard<std::mutex> reportingNow(reporting);
    const bool reachable = reading.has_value();
    {
      std::lock_guard<std::mutex> hold(lock);
      if (stopping) return;
      latest = std::move(reading);
      asked = true;
    }
    answered.notify_all();
    if (changed && report) report(reachable, why);
  }
};

RigWatch::RigWatch(RigAddress address, Report report, Timing timing)
    : shared_(std::make_shared<Shared>()) {
  shared_->address = std::move(address);
  shared_->report = std::move(report);
  shared_->timing = timing;
  thread_ = std::thread([shared = shared_] {
    watch(shared);
    shared->ended.set_value();
  });
}

RigWatch::~RigWatch() { stop(); }

std::optional<DialReading> RigWatch::latest() const {
  std::lock_guard<std::mutex> hold(shared_->lock);
  return shared_->latest;
}

void RigWatch::waitForFirstAnswer(std::chrono::milliseconds most) const {
  std::unique_lock<std::mutex> hold(shared_->lock);
  shared_->answered.wait_for(hold, most, [this] { return shared_->asked || shared_->stopping; });
}

void RigWatch::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->stopping = true;
    shared_->latest.reset();
  }
  shared_->wake.notify_all();
  // A report under way ends first; none starts after this.
  { std::lock_guard<std::mutex> reportDone(shared_->reporting); }
  if (shared_->ended.get_future().wait_for(kMostStopWait) == std::future_status::ready) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

void RigWatch::watch(const std::shared_ptr<Shared>& shared) {
  HamlibRig rig;
  bool answering = false;
  bool toldAway = false;  // the radio's absence has been reported since it last answered
  for (;;) {
    std::string why;
    if (!rig.isOpen() && !rig.open(shared->address, why)) {
      shared->note(std::nullopt, !toldAway, why);
      toldAway = true;
      answering = false;
      if (!shared->pause(shared->timing.retry)) return;
      continue;
    }
    DialReading dial;
    const RigAnswer answer = rig.readDial(dial, why);
    if (answer == RigAnswer::Done) {
      shared->note(dial, !answering, {});
      answering = true;
      toldAway = false;
      if (!shared->pause(shared->timing.poll)) return;
      continue;
    }
    if (why.empty())
      why = "The radio does not answer (" + rigPlaceName(shared->address) + ").";
    else
      why = "The radio does not tell its frequency and mode: " + why + ".";
    rig.close();
    shared->note(std::nullopt, !toldAway, why);
    toldAway = true;
    answering = false;
    if (!shared->pause(shared->timing.retry)) return;
  }
}

}  // namespace mosaic::station
