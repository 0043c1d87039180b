#pragma once
// The receiving station: every capture buffer goes through reception; the pictures worth keeping
// (see PictureKeeper) are saved with their details into the pictures folder, or wait in memory
// while the folder cannot take them; each saved picture is handed to the operator's command; and
// every event is logged. Called from one thread, the reception loop's.

#include "receiver/pictures/saved_pictures.h"
#include "receiver/pictures/waiting_pictures.h"
#include "station/event_log.h"
#include "station/hook_runner.h"
#include "station/picture_change.h"
#include "station/picture_keeper.h"
#include "station/reception.h"
#include "station/rig_watch.h"

#include <QImage>
#include <QString>

#include <cstdint>

namespace mosaic::station {

inline constexpr double kDefaultThresholdDb = 15.0;
// Without a lock for this long, the log says that no signal is found.
inline constexpr double kNoSignalAfterSeconds = 30.0;
// How often pictures waiting in memory are offered to the folder again.
inline constexpr double kRetrySeconds = 10.0;

struct StationSettings {
  ReceptionSettings reception;
  QString picturesFolder;
  double thresholdDb = kDefaultThresholdDb;  // [dB in 3000 Hz] a picture needs to be kept
  double everySeconds = kDefaultEverySeconds;
};

class Station {
 public:
  // `hooks` and `rig` may be null: no command to run, no radio to ask.
  Station(const StationSettings& settings, EventLog& log, HookRunner* hooks, const RigWatch* rig);

  // One capture buffer of 12288 samples at 9600 Hz.
  void addBuffer(const std::int16_t* samples);
  // The stream stopped: the signal is lost at once. And it came back.
  void streamStopped();
  void streamResumed();
  // Saves a picture it holds and not saved yet, and offers the waiting pictures to the folder
  // once more; pictures that still cannot be written are logged as lost.
  void finish();

  const Reception& reception() const { return reception_; }
  // Seconds of sound received so far.
  double seconds() const { return seconds_; }
  int picturesSaved() const { return saved_; }
  std::size_t picturesWaiting() const { return waiting_.size(); }
  const QString& lastSaved() const { return lastSaved_; }
  // Why pictures wait in memory instead of the folder; empty while none wait for it.
  const QString& folderProblem() const { return folderProblem_; }

 private:
  void followLock(const ReceivedBuffer& buffer);
  void apply(const KeeperDecision& decision);
  void holdFrame();
  void saveHeld();
  // Writes the waiting pictures; `added`: a picture has just joined them.
  void writeWaiting(bool added);

  StationSettings settings_;
  EventLog& log_;
  HookRunner* hooks_;
  const RigWatch* rig_;
  Reception reception_;
  PictureChangeDetector change_;
  PictureKeeper keeper_;
  WaitingPictures waiting_;

  QImage held_;
  PictureDetails heldDetails_;
  QString lastSaved_;
  QString folderProblem_;
  int saved_ = 0;
  double seconds_ = 0.0;
  bool locked_ = false;
  double lastLockSeconds_ = 0.0;
  double searchingSince_ = 0.0;
  bool toldNoSignal_ = false;
  bool toldFolderProblem_ = false;
  double lastAttemptSeconds_ = 0.0;
};

}  // namespace mosaic::station
