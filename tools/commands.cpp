#include "tools/command.h"

#include <cstdio>

namespace mosaic::tool {

// Each command lives in its own file.
int runEncode(const std::vector<std::string>& args);
int runDemo(const std::vector<std::string>& args);
int runDecode(const std::vector<std::string>& args);
int runChannel(const std::vector<std::string>& args);
int runPlay(const std::vector<std::string>& args);
int runQuality(const std::vector<std::string>& args);
int runMonitor(const std::vector<std::string>& args);

const std::vector<Command>& commands() {
  static const std::vector<Command> all = {
      {"encode", "encode INPUT -o OUT.wav [--frames N] [--crawl TEXT]",
       "picture or video to the transmitter's sound (48000 Hz WAV)", runEncode},
      {"channel",
       "channel INPUT -o OUT.wav [--snr DB] [--offset HZ] [--passband LO-HI] "
       "[--fading good|moderate|poor|flutter] [--clock-ppm X] [--seed N]",
       "a recording through a simulated radio channel", runChannel},
      {"decode",
       "decode INPUT [-o PICTURE.png] [--frames-dir DIR] [--movie OUT.49] [--coarse HZ] [--fine "
       "HZ] "
       "[--balance N] [--no-half-pixel] [--brightness N] [--contrast N] [--saturation N] "
       "[--noise-filter light|medium|heavy] [--hfilter] [--vinterp] [--large] [--channel "
       "left|right]",
       "a recording through the receiver: pictures and movie file (--noise-filter S switches the "
       "filter on)",
       runDecode},
      {"play",
       "play MOVIE.49 -o OUT.mp4|DIR [--brightness N] [--contrast N] [--saturation N] "
       "[--noise-filter light|medium|heavy] [--hfilter] [--vinterp] [--large]",
       "a recorded movie file shown again, as a video or as pictures", runPlay},
      {"demo", "demo [-o DIR]", "the built-in test card through the whole system", runDemo},
      {"quality", "quality [--quick] -o DIR",
       "picture quality over noisy, fading and mistuned channels: tables, plots and pictures",
       runQuality},
      {"monitor",
       "monitor [--device NAME | --udp [HOST:]PORT [--rate HZ] | --input FILE [--realtime]] "
       "[--coarse HZ] [--fine HZ] [--balance N] [--pictures DIR] [--threshold DB] "
       "[--every SECONDS] [--integrate N] [--on-picture CMD] [--log FILE|-] [--rig RIG] [--web "
       "[ADDR:]PORT]",
       "a receiver on a small computer that saves and publishes what it hears", runMonitor},
  };
  return all;
}

int usageError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "mosaic: %s\nusage: mosaic %s\n", message.c_str(), command.usage);
  return kExitUsage;
}

const Command& commandNamed(const std::string& name) {
  for (const auto& c : commands())
    if (name == c.name) return c;
  return commands().front();
}

bool helpRequested(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

int showHelp(const Command& command, const char* details) {
  std::printf("usage: mosaic %s\n  %s\n%s", command.usage, command.summary, details);
  return kExitOk;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "mosaic: %s\n", message.c_str());
  return kExitFailure;
}

}  // namespace mosaic::tool
