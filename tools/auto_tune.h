#pragma once
// mosaic decode --auto-tune: the tuning estimated from a whole recording before it is decoded,
// and the line that reports it.

#include "receiver/core/receiver_engine.h"
#include "tools/sound_reader.h"

#include <string>

namespace mosaic::tool {

// Hears the whole recording at `path` (as decode hears it: the channel choice, 9600 Hz) with the
// tuning aid and puts the estimate it ends with on the tuning of `settings`, as "Tune now" does,
// so that every buffer is decoded with it; `estimate` receives it. False with a message when the
// recording cannot be read.
bool tuneToRecording(const std::string& path, ChannelChoice channel, EngineSettings& settings,
                     TuningEstimate& estimate, std::string& error);

// "tuning: -7.30 Hz": the offset with its sign and two decimals (never "-0.00").
std::string tuningLine(double offsetHz);

}  // namespace mosaic::tool
