#include "tools/quality/combined_decoding.h"

#include "signal/timing.h"

#include <memory>

namespace mosaic::tool {

void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining,
                    const std::function<void(const ReceiverEngine&)>& afterBuffer) {
  EngineSettings settings = pictureSettings(demod);
  settings.combining = combining;
  auto engine = std::make_unique<ReceiverEngine>(settings);
  for (std::size_t at = 0; at + kCaptureSamples <= heard.size(); at += kCaptureSamples) {
    engine->onBufferComplete(heard.data() + at);
    if (afterBuffer) afterBuffer(*engine);
  }
}

RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining) {
  RunList runs;
  decodeCombined(heard, demod, combining, [&runs](const ReceiverEngine& engine) {
    runs.emplace_back(engine.runBytes().begin(), engine.runBytes().end());
  });
  return runs;
}

}  // namespace mosaic::tool
