#pragma once
// What the monitor's web page shows, taken from the station after each capture buffer: every new
// whole frame as the live picture, and the lock, tuning, clock, signal-to-noise ratio, the
// radio's dial and any trouble with the pictures folder. The server copies them and returns at
// once: serving the page never holds up reception.

#include "station/rig_watch.h"
#include "station/station.h"
#include "station/web/station_web_server.h"

#include <optional>

namespace mosaic::tool {

class MonitorPage {
 public:
  // `rig` may be null: no radio to ask.
  MonitorPage(web::StationWebServer& server, const station::RigWatch* rig)
      : server_(server), rig_(rig) {}

  // After each buffer, and after the stream stopped.
  void publish(const station::Station& station);

 private:
  web::StationWebServer& server_;
  const station::RigWatch* rig_;
};

// The status the page shows for the newest buffer the station received.
web::StationStatus pageStatus(const station::Station& station,
                              const std::optional<DialReading>& dial);

}  // namespace mosaic::tool
