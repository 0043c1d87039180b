#pragma once
// The radio's dial, read through Hamlib on a thread of its own, so that a radio that does not
// answer never holds up reception: read every `poll` while the radio answers; when it stops
// answering (or cannot be opened), it is opened again every `retry`. The newest reading is at
// hand at any moment, and only while the radio answers: a picture never gets an old frequency.
// The radio answering and going away are told to `report` once each time, from the watch's
// thread, and never after stop() has returned.

#include "rig/hamlib_rig.h"
#include "rig/rig_address.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace mosaic::station {

class RigWatch {
 public:
  // `reachable`: the radio answers now (with its first reading at hand); otherwise why not.
  using Report = std::function<void(bool reachable, const std::string& why)>;
  struct Timing {
    std::chrono::milliseconds poll{1000};
    std::chrono::milliseconds retry{5000};
  };

  RigWatch(RigAddress address, Report report, Timing timing);
  RigWatch(RigAddress address, Report report)
      : RigWatch(std::move(address), std::move(report), Timing{}) {}
  // As stop().
  ~RigWatch();
  RigWatch(const RigWatch&) = delete;
  RigWatch& operator=(const RigWatch&) = delete;

  // The newest reading while the radio answers; nothing otherwise.
  std::optional<DialReading> latest() const;
  // Waits until the radio has been asked once (answering or not), at most `most`.
  void waitForFirstAnswer(std::chrono::milliseconds most) const;
  // Ends the watch. A radio that is slow to answer is not waited for longer than a few seconds:
  // the thread is then left to end by itself, and reports nothing more.
  void stop();

 private:
  struct Shared;
  // The watch's thread.
  static void watch(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace mosaic::station
