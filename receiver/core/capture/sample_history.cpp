#include "receiver/core/capture/sample_history.h"

#include <algorithm>

namespace mosaic {

void updateHistory(SampleHistory& history, const std::int16_t* completed) {
  auto* older = history.samples.data();
  auto* newer = older + kCaptureSamples;
  std::copy(newer, newer + kCaptureSamples, older);
  std::copy(completed, completed + kCaptureSamples, newer);
}

}  // namespace mosaic
