#include "tools/device_monitor_source.h"

#include "platform/sound_keeper.h"
#include "platform/sound_server_input.h"
#include "platform/sound_server_probe.h"
#include "receiver/core/capture/capture.h"

#include <QEventLoop>
#include <QThread>

namespace mosaic::tool {

DeviceMonitorSource::DeviceMonitorSource(station::ReceptionQueue& queue,
                                         std::optional<std::string> device, DeviceReport report)
    : queue_(queue), device_(std::move(device)), report_(std::move(report)) {}

DeviceMonitorSource::~DeviceMonitorSource() { stop(); }

void DeviceMonitorSource::start() {
  thread_.reset(QThread::create([this] { run(); }));
  thread_->start();
}

void DeviceMonitorSource::stop() {
  if (!thread_) return;
  // Ends the device thread's event loop, also one that has not begun yet.
  thread_->quit();
  thread_->wait();
  thread_.reset();
}

void DeviceMonitorSource::run() {
  using Kind = station::ReceptionQueue::Kind;
  SoundServerInput input;
  Capture capture(input,
                  [this](const std::int16_t* samples, const std::function<void()>& handBack) {
                    queue_.pushSamples(samples, kCaptureSamples);
                    handBack();
                  });
  SoundKeeper* keeper = nullptr;
  bool everOpened = false;
  std::optional<bool> usable;
  const auto open = [&] {
    if (!capture.start()) return false;
    if (everOpened) queue_.pushEvent(Kind::Resumed);
    everOpened = true;
    return true;
  };
  const auto close = [&] {
    capture.stop();
    queue_.pushEvent(Kind::Stopped);
  };
  const auto show = [&](const std::string& status) {
    const bool nowUsable = keeper->link().live() && !keeper->standingIn();
    if (usable == nowUsable) return;
    usable = nowUsable;
    const std::string& inUse = keeper->deviceInUse();
    report_(nowUsable, nowUsable ? (inUse.empty() ? "the default sound input" : inUse) : status);
  };
  SoundKeeper kept(SoundDirection::Recording,
                   {open, close, show, [&input] { return input.openError(); }});
  keeper = &kept;
  input.setLostHandler([&kept](const std::string& why) { kept.lost(why); });
  kept.setDevices({soundServerDevices, [&input](const std::string& id) { input.useDevice(id); }});
  if (device_) kept.choose(SoundDeviceName{*device_, *device_});
  kept.start();
  // A start on the wanted device changes no status, and is no news.
  if (!usable) usable = true;
  QEventLoop loop;
  loop.exec();
  kept.stop();
}

}  // namespace mosaic::tool
