#include "station/station.h"

#include "signal/timing.h"

#include <QDateTime>

#include <cstdio>
#include <cstring>

namespace mosaic::station {

namespace {

constexpr double kBufferSeconds = double(kCaptureSamples) / kRxSampleRateHz;

JsonLine tuningFields(const TuningEstimate& estimate) {
  JsonLine fields;
  fields.number("tuning_hz", estimate.offsetHz, 2);
  if (estimate.locked) fields.number("clock_ppm", estimate.clockPpm, 1);
  return fields;
}

}  // namespace

Station::Station(const StationSettings& settings, EventLog& log, HookRunner* hooks,
                 const RigWatch* rig)
    : settings_(settings),
      log_(log),
      hooks_(hooks),
      rig_(rig),
      reception_(settings.reception),
      keeper_(settings.everySeconds) {}

void Station::addBuffer(const std::int16_t* samples) {
  const ReceivedBuffer& buffer = reception_.addBuffer(samples);
  seconds_ += kBufferSeconds;
  followLock(buffer);
  KeeperFrame frame;
  frame.timeSeconds = seconds_;
  frame.locked = buffer.locked;
  frame.whole = buffer.aligned && buffer.locked;
  // A combined picture is judged by the ratio it would have as a single frame, as Mosaicview does.
  frame.keepable = combinedSnrDb(buffer.snrDb, buffer.framesCombined) >= settings_.thresholdDb;
  frame.framesCombined = buffer.framesCombined;
  frame.snrDb = buffer.snrDb;
  // Only whole frames are compared: without the lock they show nothing of the picture.
  if (frame.whole)
    frame.changed = change_.compare(reception_.alignedPicture(), buffer.snrDb).changed;
  apply(keeper_.frame(frame));
  if (!waiting_.empty() && seconds_ - lastAttemptSeconds_ >= kRetrySeconds) writeWaiting(false);
}

void Station::followLock(const ReceivedBuffer& buffer) {
  if (buffer.locked) {
    lastLockSeconds_ = seconds_;
    if (!locked_) {
      locked_ = true;
      toldNoSignal_ = false;
      JsonLine fields = tuningFields(buffer.estimate);
      fields.number("snr_db", buffer.snrDb, 1);
      log_.write("locked", fields);
    }
    return;
  }
  if (locked_ && seconds_ - lastLockSeconds_ >= kLostAfterSeconds) {
    locked_ = false;
    searchingSince_ = seconds_;
    log_.write("signal_lost", JsonLine().number("snr_db", buffer.snrDb, 1));
  }
  if (!locked_ && !toldNoSignal_ && seconds_ - searchingSince_ >= kNoSignalAfterSeconds) {
    toldNoSignal_ = true;
    JsonLine fields;
    fields.number("searched_s", seconds_ - searchingSince_, 1).number("snr_db", buffer.snrDb, 1);
    log_.write("no_signal", fields);
  }
}

void Station::streamStopped() {
  log_.write("stream_stopped");
  apply(keeper_.streamStopped());
  reception_.restart();
  if (locked_) {
    locked_ = false;
    log_.write("signal_lost");
  }
  searchingSince_ = seconds_;
}

void Station::streamResumed() { log_.write("stream_resumed"); }

void Station::finish() {
  apply(keeper_.finish());
  if (!waiting_.empty()) writeWaiting(false);
  if (!waiting_.empty()) {
    JsonLine fields;
    fields.integer("pictures", static_cast<long long>(waiting_.size()))
        .text("folder", settings_.picturesFolder.toStdString());
    log_.write("pictures_lost", fields);
    std::fprintf(stderr, "mosaic: %zu pictures could not be written to %s and are lost\n",
                 waiting_.size(), qPrintable(settings_.picturesFolder));
  }
}

void Station::apply(const KeeperDecision& decision) {
  if (decision.saveHeldFirst) saveHeld();
  if (decision.holdFrame) holdFrame();
  if (decision.saveHeld) saveHeld();
}

void Station::holdFrame() {
  const AlignedPicture& picture = reception_.alignedPicture();
  if (held_.width() != picture.width || held_.height() != picture.height)
    held_ = QImage(picture.width, picture.height, QImage::Format_RGB888);
  // Written in place, unless a picture waiting to be written still shares the image.
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(held_.scanLine(y), picture.rgb.data() + 3 * y * picture.width,
                static_cast<std::size_t>(3 * picture.width));
  }
  const ReceivedBuffer& buffer = reception_.latest();
  heldDetails_ = PictureDetails{};
  heldDetails_.receivedUtc = QDateTime::currentDateTimeUtc();
  heldDetails_.tuning = buffer.estimate;
  heldDetails_.snrDb = buffer.snrDb;
  heldDetails_.framesCombined = buffer.framesCombined;
  if (rig_) {
    if (const auto dial = rig_->latest()) {
      heldDetails_.dialFrequencyHz = dial->frequencyHz;
      heldDetails_.dialMode = QString::fromStdString(dial->mode);
    }
  }
}

void Station::saveHeld() {
  if (held_.isNull()) return;
  waiting_.add(held_, heldDetails_);
  writeWaiting(true);
}

void Station::writeWaiting(bool added) {
  lastAttemptSeconds_ = seconds_;
  QString error;
  const bool written = waiting_.writeInto(
      settings_.picturesFolder, error, [this](const QString& path, const PictureDetails& details) {
        lastSaved_ = path;
        ++saved_;
        JsonLine fields;
        fields.text("path", path.toStdString())
            .number("snr_db", details.snrDb, 1)
            .integer("frames_combined", details.framesCombined)
            .append(tuningFields(details.tuning));
        log_.write("picture_saved", fields);
        if (hooks_) hooks_->submit(path.toStdString());
      });
  if (written) {
    if (toldFolderProblem_) log_.write("pictures_folder_ok");
    toldFolderProblem_ = false;
    folderProblem_.clear();
    return;
  }
  folderProblem_ = error;
  // Each picture that has to wait is logged, not each attempt to write them.
  if (added || !toldFolderProblem_) {
    JsonLine fields;
    fields.text("reason", error.toStdString())
        .integer("waiting", static_cast<long long>(waiting_.size()))
        .integer("given_up", waiting_.dropped());
    log_.write("picture_waiting", fields);
  }
  if (!toldFolderProblem_) {
    std::fprintf(stderr, "mosaic: %s; pictures wait in memory until the folder takes them\n",
                 qPrintable(error));
  }
  toldFolderProblem_ = true;
}

}  // namespace mosaic::station
