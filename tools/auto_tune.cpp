#include "tools/auto_tune.h"

#include "tools/decode_recording.h"

#include <cmath>
#include <cstdio>

namespace mosaic::tool {

bool tuneToRecording(const std::string& path, ChannelChoice channel, EngineSettings& settings,
                     TuningEstimate& estimate, std::string& error) {
  RecordingReader reader;
  if (!reader.open(path, channel, error)) return false;
  EngineSettings listening = pictureSettings(settings.demod, settings.display);
  listening.tuningAid = true;
  ReceiverEngine engine(listening);
  BufferFeeder feeder(engine, {});
  if (!feedRecording(reader, feeder, error)) return false;
  estimate = engine.tuning();
  if (engine.tuneToEstimate()) settings.demod = engine.settings().demod;
  return true;
}

std::string tuningLine(double offsetHz) {
  double shown = std::nearbyint(offsetHz * 100.0) / 100.0;
  if (shown == 0.0) shown = 0.0;  // no "-0.00"
  char text[48];
  std::snprintf(text, sizeof text, "tuning: %+.2f Hz", shown);
  return text;
}

}  // namespace mosaic::tool
