#pragma once
// What the receiving station tells the web page after each buffer, besides the picture.

#include <QDateTime>
#include <QString>

#include <optional>

namespace mosaic::web {

enum class LockState {
  NoSignal,  // no carriers found
  Found,     // an offset is estimated, the frame boundaries do not agree yet
  Locked,    // frame boundaries found and agreeing: tuning and clock are known
};

struct StationStatus {
  LockState lock = LockState::NoSignal;
  std::optional<double> tuningHz;  // the tuning that centres the carriers [Hz]
  std::optional<double> clockPpm;  // the sending clock's error [ppm], once locked
  std::optional<double> snrDb;     // signal to noise [dB in 3000 Hz]
  QString rig;                     // the dial frequency and mode as read from the rig, or empty
  QString folderTrouble;           // why pictures wait in memory instead of the folder, or empty
  QDateTime takenUtc;              // when this status was taken; now when left invalid
};

}  // namespace mosaic::web
