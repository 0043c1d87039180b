#include "tools/auto_tune.h"

#include "tools/decode_recording.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace mosaic::tool {

bool estimateRecordingTuning(const std::string& path, ChannelChoice channel,
                             TuningEstimate& estimate, std::string& error) {
  RecordingReader reader;
  if (!reader.open(path, channel, error)) return false;
  auto estimator = std::make_unique<TuningEstimator>();
  std::vector<std::int16_t> buffer;
  std::vector<std::int16_t> piece;
  for (;;) {
    if (!reader.next(piece, error)) return false;
    if (piece.empty()) break;
    buffer.insert(buffer.end(), piece.begin(), piece.end());
    std::size_t used = 0;
    for (; buffer.size() - used >= kCaptureSamples; used += kCaptureSamples)
      estimator->addBuffer(buffer.data() + used);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(used));
  }
  estimate = estimator->estimate();
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
