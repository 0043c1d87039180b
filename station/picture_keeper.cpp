#include "station/picture_keeper.h"

#include "signal/timing.h"

namespace mosaic::station {

namespace {
constexpr double kFrameSeconds = double(kCaptureSamples) / kRxSampleRateHz;  // 1.28 s
// Half a frame: times that are whole frames apart compare safely.
constexpr double kSlack = 0.5 * kFrameSeconds;
// For times compared with the operator's seconds.
constexpr double kRoundOff = 1e-6;
}  // namespace

PictureKeeper::PictureKeeper(double everySeconds) : everySeconds_(everySeconds) {}

bool PictureKeeper::worthSavingOnLeaving() const {
  if (!holding_ || saved_ || !bestKeepable_) return false;
  if (frames_ > 1) return true;
  return !everSaved_ || heldSeconds_ - lastSaveSeconds_ >= everySeconds_ - kRoundOff;
}

bool PictureKeeper::better(const KeeperFrame& frame) const {
  if (frame.keepable != bestKeepable_) return frame.keepable;
  if (frame.framesCombined != bestCombined_) return frame.framesCombined > bestCombined_;
  return frame.snrDb >= bestSnrDb_;
}

bool PictureKeeper::due(double nowSeconds) const {
  return holding_ && !saved_ && bestKeepable_ && frames_ > 1 &&
         nowSeconds - firstSeconds_ >= (kLatestFrames - 1) * kFrameSeconds - kSlack;
}

void PictureKeeper::hold(const KeeperFrame& frame) {
  holding_ = true;
  heldSeconds_ = frame.timeSeconds;
  bestKeepable_ = frame.keepable;
  bestCombined_ = frame.framesCombined;
  bestSnrDb_ = frame.snrDb;
}

void PictureKeeper::markSaved(double timeSeconds) {
  saved_ = true;
  everSaved_ = true;
  lastSaveSeconds_ = timeSeconds;
}

KeeperDecision PictureKeeper::frame(const KeeperFrame& frame) {
  KeeperDecision decision;
  nowSeconds_ = frame.timeSeconds;
  if (frame.locked) lastLockSeconds_ = frame.timeSeconds;
  if (!frame.whole) {
    // Between frames: a held picture is saved once the signal has been lost for a while, or
    // once it has been there long enough.
    const bool lost = frame.timeSeconds - lastLockSeconds_ >= kLostAfterSeconds - kRoundOff;
    if ((lost && worthSavingOnLeaving()) || due(frame.timeSeconds)) {
      decision.saveHeld = true;
      markSaved(heldSeconds_);
    }
    return decision;
  }
  if (!holding_ || frame.changed) {
    if (worthSavingOnLeaving()) {
      decision.saveHeldFirst = true;
      markSaved(heldSeconds_);
    }
    decision.holdFrame = true;
    hold(frame);
    saved_ = false;
    frames_ = 1;
    firstSeconds_ = frame.timeSeconds;
    return decision;
  }
  ++frames_;
  if (!saved_ && better(frame)) {
    decision.holdFrame = true;
    hold(frame);
  }
  if (due(frame.timeSeconds)) {
    decision.saveHeld = true;
    markSaved(heldSeconds_);
  }
  return decision;
}

KeeperDecision PictureKeeper::streamStopped() {
  KeeperDecision decision;
  lastLockSeconds_ = nowSeconds_ - kLostAfterSeconds;
  if (worthSavingOnLeaving()) {
    decision.saveHeld = true;
    markSaved(heldSeconds_);
  }
  return decision;
}

KeeperDecision PictureKeeper::finish() {
  KeeperDecision decision;
  if (holding_ && !saved_ && bestKeepable_) {
    decision.saveHeld = true;
    markSaved(heldSeconds_);
  }
  return decision;
}

}  // namespace mosaic::station
