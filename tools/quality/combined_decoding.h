#pragma once
// Decoding with the frame combiner on, as the receiver will run it: the receive chain combining,
// and the tuning estimator hearing the same buffers and telling the combiner, before each
// buffer, what it then knows of the sender's clock.

#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/receive_chain.h"
#include "tools/quality/trial.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace mosaic::tool {

// Feeds the whole buffers of `heard` (9600 Hz); `afterBuffer` sees the chain after each. With
// `followClock` false the combiner is never told the clock.
void decodeCombined(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                    const CombiningSettings& combining, bool followClock,
                    const std::function<void(const ReceiveChain&)>& afterBuffer);

// The picture value bytes of every run.
RunList combinedRuns(const std::vector<std::int16_t>& heard, const DemodSettings& demod,
                     const CombiningSettings& combining, bool followClock = true);

}  // namespace mosaic::tool
