#pragma once
// mosaic decode --auto-tune: the tuning offset estimated from a whole recording before it is
// decoded, and the line that reports it.

#include "receiver/core/tuning/tuning_estimator.h"
#include "tools/sound_reader.h"

#include <string>

namespace mosaic::tool {

// Runs the recording at `path` (as decode hears it: the channel choice, 9600 Hz) through the
// tuning estimator, buffer by buffer. False with a message when it cannot be read.
bool estimateRecordingTuning(const std::string& path, ChannelChoice channel,
                             TuningEstimate& estimate, std::string& error);

// "tuning: -7.30 Hz": the offset with its sign and two decimals (never "-0.00").
std::string tuningLine(double offsetHz);

}  // namespace mosaic::tool
