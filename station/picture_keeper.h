#pragma once
// Which received pictures are worth keeping: each distinct still picture once, in its best
// state, and a moving picture now and then.
//
// A picture begins with the first frame of it that the receiver shows whole (locked, with the
// frame boundary known) and lasts until a frame shows another. The keeper holds the picture's
// best state seen so far: a frame that reaches the signal-to-noise threshold before one that does
// not, then the most frames combined, then the highest ratio, then the newest. A still picture
// (one seen in more than one frame) is saved once: when the picture changes, when the signal is
// lost (no lock for 3 s, or the stream stops), or 16 frames after it began, whichever is first;
// then not again until it changes. A picture seen in one frame only, replaced by another in the
// next, is a frame of a moving picture: of those, one is saved at most every `everySeconds`. Only
// a state that reaches the threshold is ever saved; a picture that has none by its 16th frame is
// saved as soon as one does.
//
// Time is the time of the received sound, so a recording played faster than real time is kept as
// it would be live. The keeper decides; its caller holds the pictures and saves them.

namespace mosaic::station {

inline constexpr double kLostAfterSeconds = 3.0;  // without lock: the signal is lost
inline constexpr int kLatestFrames = 16;          // a still picture is saved by its 16th frame
inline constexpr double kDefaultEverySeconds = 10.0;

// One capture buffer as the keeper sees it.
struct KeeperFrame {
  double timeSeconds = 0.0;  // of the received sound, at the end of the buffer
  bool locked = false;       // the receiver is locked on a signal
  bool whole = false;        // and the frame boundary is known: a whole frame is at hand
  bool changed = false;      // (whole frames) the picture is not the one before
  bool keepable = false;     // (whole frames) the signal reaches the threshold
  int framesCombined = 1;
  double snrDb = 0.0;
};

// What to do with the held picture and the new frame, in this order.
struct KeeperDecision {
  bool saveHeldFirst = false;  // save the held picture, before it is replaced
  bool holdFrame = false;      // the new frame becomes the held picture (or its better state)
  bool saveHeld = false;       // save the held picture (after taking the new frame, if asked to)
  bool operator==(const KeeperDecision&) const = default;
};

class PictureKeeper {
 public:
  explicit PictureKeeper(double everySeconds = kDefaultEverySeconds);

  KeeperDecision frame(const KeeperFrame& frame);
  // The stream stopped: the signal is lost at once.
  KeeperDecision streamStopped();
  // The station ends: a held picture not saved yet is saved if it may be, whatever it is.
  KeeperDecision finish();

  bool holding() const { return holding_; }
  bool heldSaved() const { return saved_; }

 private:
  // Whether an unsaved held picture is to be saved now that it leaves or the signal is lost:
  // a still one always, a frame of a moving picture when `every` has passed; never one below
  // the threshold.
  bool worthSavingOnLeaving() const;
  bool better(const KeeperFrame& frame) const;
  bool due(double nowSeconds) const;
  void hold(const KeeperFrame& frame);
  void markSaved(double timeSeconds);

  const double everySeconds_;
  bool holding_ = false;
  bool saved_ = false;
  double firstSeconds_ = 0.0;  // when the held picture began
  double heldSeconds_ = 0.0;   // the time of its state held
  int frames_ = 0;             // whole frames of the held picture so far
  bool bestKeepable_ = false;
  int bestCombined_ = 0;
  double bestSnrDb_ = 0.0;
  double lastLockSeconds_ = 0.0;
  double nowSeconds_ = 0.0;
  bool everSaved_ = false;
  double lastSaveSeconds_ = 0.0;  // of the sound of the picture saved last
};

}  // namespace mosaic::station
