#pragma once
// What `mosaic quality` measures: the channels, the signal-to-noise ratios, how many frames and
// seeds each point takes, and the SNRs shown in the picture strips. The full sweep is the
// published one; the quick sweep is a small subset that shows the whole path works.

#include "channel/channel_model.h"

#include <string>
#include <vector>

namespace mosaic::tool {

struct SweepChannel {
  std::string id;            // for file names: "white", "moderate", "offset-plus-2", ...
  std::string title;         // for people: "CCIR moderate fading"
  std::string legend;        // short, for the plots: "moderate"
  ChannelSettings settings;  // everything but the SNR and the seed
  bool combined = false;     // also decoded combining the repeated frames
};

struct SweepPlan {
  std::vector<SweepChannel> channels;
  std::vector<double> snrsDb;       // falling, each one a column of the tables
  std::vector<double> stripSnrsDb;  // the SNRs whose received pictures are shown
  int frames = 8;                   // frames sent per trial; the first run is left out
  int minSeeds = 4;                 // channel realisations per point at least ...
  int maxSeeds = 20;                // ... and at most
  double targetSpread = 0.05;       // add seeds while the standard error is above this share
  bool autoTune = true;             // also decode with the tuning estimated from the signal
  // On the channels marked `combined`: the still pictures decoded combining over each of these
  // numbers of frames, and a new picture after 8 frames of another, combining over 8.
  std::vector<int> combinedFrames;
};

// 30 dB down to 0 dB in 3 dB steps; white noise, the four fading profiles, mistuning of +-0.5
// and +-2 Hz and sending clock errors of +-50 and +-200 ppm, each with white noise; white noise
// and the fading profiles also combining over 8 and 16 frames.
SweepPlan fullPlan();

// Three channels at four SNRs with few frames and seeds: well under a minute on two cores.
SweepPlan quickPlan();

// The transceiver's audio passband that every channel of the sweep has.
inline constexpr double kSweepPassLowHz = 300.0;
inline constexpr double kSweepPassHighHz = 3600.0;

}  // namespace mosaic::tool
