#include "tools/quality/combined_decoding.h"

#include "receiver/core/picture/display_settings.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "signal/timing.h"

#include <memory>

namespace mosaic::tool {

void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining, bool followClock,
                    const std::function<void(const ReceiveChain&)>& afterBuffer) {
  auto chain = std::make_unique<ReceiveChain>();
  auto estimator = std::make_unique<TuningEstimator>();
  chain->setCombining(combining);
  for (std::size_t at = 0; at + kCaptureSamples <= heard.size(); at += kCaptureSamples) {
    if (followClock) chain->setSender(senderEstimateOf(estimator->estimate()));
    chain->onBufferComplete(heard.data() + at, demod, DisplaySettings{});
    estimator->addBuffer(heard.data() + at);
    if (afterBuffer) afterBuffer(*chain);
  }
}

RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining, bool followClock) {
  RunList runs;
  decodeCombined(heard, demod, combining, followClock, [&runs](const ReceiveChain& chain) {
    runs.emplace_back(chain.runBytes().begin(), chain.runBytes().end());
  });
  return runs;
}

}  // namespace mosaic::tool
