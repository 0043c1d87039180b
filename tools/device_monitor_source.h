#pragma once
// The sound server's default recording device, or the one the operator names, as Mosaicview
// records it: the same stream at 9600 Hz, the same choice of device (the named one while it is
// there, the default while it is not) and the same recovery after a loss. The device lives on a
// thread of its own with an event loop. A gap in the sound (a loss, a move to another device) is
// a stop and a resumption in the queue, so that no frame is taken across it.

#include "tools/monitor_sources.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QThread;

namespace mosaic::tool {

class DeviceMonitorSource final : public MonitorSource {
 public:
  // The wanted device is in use again (`usable`, with its name), or not (with the reason): the
  // named device (or the default, when none is named) stopped or is not there. Called on the
  // device's thread, once per change, the first time when the source starts.
  using DeviceReport = std::function<void(bool usable, const std::string& text)>;

  // `device`: the id or description the sound server has for it; nothing: the default.
  DeviceMonitorSource(station::ReceptionQueue& queue, std::optional<std::string> device,
                      DeviceReport report);
  ~DeviceMonitorSource() override;
  void start() override;
  void stop() override;

 private:
  void run();

  station::ReceptionQueue& queue_;
  const std::optional<std::string> device_;
  DeviceReport report_;
  std::unique_ptr<QThread> thread_;
};

}  // namespace mosaic::tool
