#pragma once
// Decoding with the frame combiner on, as the receiver runs it: the receiver engine combining,
// its tuning estimator hearing the same buffers and telling the combiner the sender's clock.

#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/receiver_engine.h"
#include "tools/quality/trial.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace mosaic::tool {

// Feeds the whole buffers of `heard` (9600 Hz); `afterBuffer` sees the engine after each.
void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining,
                    const std::function<void(const ReceiverEngine&)>& afterBuffer);

// The picture value bytes of every run.
RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining);

}  // namespace mosaic::tool
