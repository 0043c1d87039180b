// mosaic monitor: a receiving station that runs by itself. Sound comes in from a sound device, the
// network or a recording; pictures worth keeping are saved, logged, handed to the operator's
// command and shown on the web page, until SIGINT or SIGTERM (or the end of the recording) ends
// it.

#include "receiver/pictures/saved_pictures.h"
#include "station/station.h"
#include "station/web/station_web_server.h"
#include "tools/command.h"
#include "tools/device_monitor_source.h"
#include "tools/monitor_options.h"
#include "tools/monitor_page.h"
#include "tools/monitor_sources.h"

#include <QString>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

namespace mosaic::tool {

namespace {

using station::ReceptionQueue;

// Capture buffers between a source and the loop: about ten seconds of a live stream, or enough
// of a file to keep the loop busy.
constexpr std::size_t kLivePlaces = 8;
constexpr std::size_t kFilePlaces = 4;
// How long the loop waits for a buffer before it looks for a signal to stop.
constexpr std::chrono::milliseconds kLoopWait{200};
// How long commands still running or waiting at the end have to finish.
constexpr std::chrono::seconds kHookGrace{10};
constexpr std::chrono::seconds kHookTimeout{60};
// How long the start waits for the radio's first answer.
constexpr std::chrono::seconds kFirstRigAnswer{3};

std::atomic<int> stopSignal{0};

extern "C" void noteStopSignal(int signalNumber) {
  stopSignal = signalNumber;
  // A second signal ends the monitor at once.
  std::signal(signalNumber, SIG_DFL);
}

void watchStopSignals() {
  for (int s : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(s, &action, nullptr);
  }
  // A log on a pipe whose reader went away is a write error, not the end of the station.
  std::signal(SIGPIPE, SIG_IGN);
}

std::string sourceName(const MonitorOptions& o) {
  switch (o.source) {
    case MonitorOptions::Source::File:
      return "file " + o.input;
    case MonitorOptions::Source::Udp:
      return "udp " + o.udp.host + ":" + std::to_string(o.udp.port) + " at " +
             std::to_string(o.rateHz) + " Hz";
    case MonitorOptions::Source::Device:
      break;
  }
  return o.device.empty() ? "the default sound input" : "device " + o.device;
}

// "http://127.0.0.1:8080/", "http://[::1]:8080/".
std::string pageAddress(const station::HostPort& address, int port) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(port) +
         "/";
}

// The station's log hears of the device going and coming back, and the operator of its going.
DeviceMonitorSource::DeviceReport deviceReport(station::EventLog& log) {
  return [&log](bool usable, const std::string& text) {
    if (usable) {
      log.write("device_returned", station::JsonLine().text("device", text));
      return;
    }
    log.write("device_lost", station::JsonLine().text("reason", text));
    std::fprintf(stderr, "mosaic: %s\n", text.c_str());
  };
}

// The usual end: the signal that asked for it, or the recording's end.
std::string stopReason() {
  switch (stopSignal.load()) {
    case 0:
      return "end of input";
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(stopSignal.load());
  }
}

}  // namespace

int runMonitor(const std::vector<std::string>& argv) {
  MonitorOptions o;
  if (auto status = parseMonitorOptions(argv, o)) return *status;
  const Command& cmd = commandNamed("monitor");

  station::EventLog log;
  std::string error;
  if (!o.log.empty() && !log.open(o.log, error)) return failure(error);

  std::unique_ptr<station::RigWatch> rig;
  if (o.rig) {
    rig =
        std::make_unique<station::RigWatch>(*o.rig, [&log](bool reachable, const std::string& why) {
          if (reachable) {
            log.write("rig_reachable");
            return;
          }
          log.write("rig_unreachable", station::JsonLine().text("reason", why));
          std::fprintf(stderr, "mosaic: %s; asking again every few seconds\n", why.c_str());
        });
    log.setDialSource([&rig] { return rig->latest(); });
    // The first pictures of a recording come at once: they get the dial too.
    rig->waitForFirstAnswer(kFirstRigAnswer);
  }
  std::unique_ptr<station::HookRunner> hooks;
  if (!o.onPicture.empty()) {
    hooks = std::make_unique<station::HookRunner>(
        o.onPicture, kHookTimeout, [&log](const std::string& path, const std::string& reason) {
          station::JsonLine fields;
          fields.text("path", path).text("reason", reason);
          log.write("hook_failed", fields);
          std::fprintf(stderr, "mosaic: %s (for %s)\n", reason.c_str(), path.c_str());
        });
  }

  const bool file = o.source == MonitorOptions::Source::File;
  ReceptionQueue queue(
      file ? kFilePlaces : kLivePlaces,
      file ? ReceptionQueue::WhenFull::Wait : ReceptionQueue::WhenFull::DropOldest);
  std::unique_ptr<MonitorSource> source;
  switch (o.source) {
    case MonitorOptions::Source::File: {
      auto reader = std::make_unique<FileMonitorSource>(queue, o.realtime);
      if (!reader->open(o.input, error)) return failure(error);
      source = std::move(reader);
      break;
    }
    case MonitorOptions::Source::Udp: {
      auto udp = std::make_unique<UdpMonitorSource>(queue, o.rateHz);
      // A port that cannot be had is a wrong argument: the station never starts.
      if (!udp->open(o.udp, error)) return usageError(cmd, error);
      source = std::move(udp);
      break;
    }
    case MonitorOptions::Source::Device:
      source = std::make_unique<DeviceMonitorSource>(
          queue, o.device.empty() ? std::nullopt : std::optional(o.device), deviceReport(log));
      break;
  }
  web::StationWebServer server(QString::fromStdString(o.pictures));
  std::optional<MonitorPage> page;
  if (o.web) {
    if (!server.start(*o.web, error)) return usageError(cmd, error);
    page.emplace(server, rig.get());
  }

  station::StationSettings settings;
  settings.reception.autoTune = o.autoTune;
  settings.reception.demod = o.demod;
  settings.reception.scale = kSavedPictureScale;
  settings.reception.combining.on = o.integrateFrames > 0;
  if (o.integrateFrames > 0) settings.reception.combining.frames = o.integrateFrames;
  settings.picturesFolder = QString::fromStdString(o.pictures);
  settings.thresholdDb = o.thresholdDb;
  settings.everySeconds = o.everySeconds;
  station::Station station(settings, log, hooks.get(), rig.get());

  watchStopSignals();
  station::JsonLine started;
  started.text("source", sourceName(o))
      .text("pictures", o.pictures)
      .number("threshold_db", o.thresholdDb, 1)
      .number("every_s", o.everySeconds, 1)
      .integer("integrate", o.integrateFrames)
      .boolean("auto_tune", o.autoTune);
  if (!o.rigText.empty()) started.text("rig", o.rigText);
  if (!o.onPicture.empty()) started.text("on_picture", o.onPicture);
  if (o.web) started.text("web", pageAddress(*o.web, server.port()));
  log.write("started", started);
  if (const QString problem = pictureFolderProblem(settings.picturesFolder); !problem.isEmpty()) {
    // Not fatal: pictures wait in memory, and the folder is tried again now and then.
    log.write("pictures_folder_problem", station::JsonLine().text("reason", problem.toStdString()));
    std::fprintf(stderr, "mosaic: %s\n", qPrintable(problem));
  }
  source->start();

  while (stopSignal.load() == 0) {
    const auto item = queue.take(kLoopWait);
    if (!item) continue;
    if (item->kind == ReceptionQueue::Kind::Ended) break;
    switch (item->kind) {
      case ReceptionQueue::Kind::Buffer:
        station.addBuffer(item->samples);
        if (page) page->publish(station);
        break;
      case ReceptionQueue::Kind::Stopped:
        station.streamStopped();
        if (page) page->publish(station);
        break;
      case ReceptionQueue::Kind::Resumed:
        station.streamResumed();
        break;
      case ReceptionQueue::Kind::Ended:
        break;
    }
  }
  queue.cancel();
  source->stop();
  station.finish();
  server.stop();
  if (hooks) hooks->stop(kHookGrace);
  if (rig) rig->stop();

  station::JsonLine stopped;
  stopped.text("reason", stopReason())
      .integer("pictures_saved", station.picturesSaved())
      .number("received_s", station.seconds(), 2);
  if (queue.droppedBuffers() > 0) stopped.integer("buffers_dropped", queue.droppedBuffers());
  log.write("stopped", stopped);
  if (const std::string failed = source->failure(); !failed.empty()) return failure(failed);
  return kExitOk;
}

}  // namespace mosaic::tool
