#pragma once
// The options of `mosaic monitor`, read from its arguments.

#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "rig/rig_address.h"
#include "station/host_port.h"

#include <optional>
#include <string>
#include <vector>

namespace mosaic::tool {

inline constexpr int kDefaultUdpRateHz = 48000;
// Sound sent over the network is taken, and the web page shown, on this machine only unless an
// address is named.
inline constexpr char kDefaultLocalHost[] = "127.0.0.1";

struct MonitorOptions {
  enum class Source { Device, Udp, File };
  Source source = Source::Device;
  std::string device;  // empty: the default sound input
  station::HostPort udp;
  int rateHz = kDefaultUdpRateHz;
  std::string input;
  bool realtime = false;
  bool autoTune = true;  // off once --coarse or --fine sets the tuning
  // The receiver's start-up settings but for the colour balance: at its start-up slope of 67 every
  // clean picture comes out magenta, and no one is there to move the slider.
  DemodSettings demod = [] {
    DemodSettings settings;
    settings.balance = 0;
    return settings;
  }();
  std::string pictures;  // a full path
  double thresholdDb = 15.0;
  double everySeconds = 10.0;
  int integrateFrames = kDefaultCombinedFrames;  // 0: each frame on its own
  std::string onPicture;
  std::string log;
  std::optional<RigAddress> rig;
  std::string rigText;                   // as given, for the log
  std::optional<station::HostPort> web;  // where the web page listens; nothing: no page
};

// Reads the arguments into `options`; an exit status when they are not usable (a usage error)
// or help was asked for.
std::optional<int> parseMonitorOptions(const std::vector<std::string>& argv,
                                       MonitorOptions& options);

}  // namespace mosaic::tool
