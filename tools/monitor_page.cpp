#include "tools/monitor_page.h"

#include "receiver/app/aligned_image.h"

namespace mosaic::tool {

web::StationStatus pageStatus(const station::Station& station,
                              const std::optional<DialReading>& dial) {
  const station::ReceivedBuffer& latest = station.reception().latest();
  web::StationStatus status;
  if (latest.locked) {
    status.lock = web::LockState::Locked;
    status.tuningHz = latest.estimate.offsetHz;
    status.clockPpm = latest.estimate.clockPpm;
  } else if (latest.estimate.boundaryCoherence >= kMinBoundaryCoherence) {
    status.lock = web::LockState::Found;
    status.tuningHz = latest.estimate.offsetHz;
  }
  if (station.seconds() > 0.0) status.snrDb = latest.snrDb;
  if (dial) {
    status.rig = QString::asprintf("%.6f MHz ", dial->frequencyHz / 1e6) +
                 QString::fromStdString(dial->mode);
  }
  status.folderTrouble = station.folderProblem();
  return status;
}

void MonitorPage::publish(const station::Station& station) {
  server_.publishStatus(pageStatus(station, rig_ ? rig_->latest() : std::nullopt));
  const station::ReceivedBuffer& latest = station.reception().latest();
  if (!latest.locked || !latest.aligned) return;
  server_.publishPicture(alignedImage(station.reception().alignedPicture()));
}

}  // namespace mosaic::tool
