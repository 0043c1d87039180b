#pragma once
// The signals the quality sweep sends: each picture through the transmitter's composed video area
// and transmit chain for a number of frames, brought to the receiver's 9600 Hz as it would bring
// a recording, and what the receiver makes of each over a perfect channel. The receiver never
// synchronises to the sender, so each trial starts the signal a different part of a symbol after
// the receiver's first buffer begins.

#include "tools/quality/trial.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mosaic::tool {

struct SweepPicture {
  std::string name;  // for people and file names: "test card", "landscape", "portrait"
  QImage picture;
};

// The built-in test card and the two natural pictures.
std::vector<SweepPicture> sweepPictures();

// The picture's `frames` frames from the transmit chain (48000 Hz).
std::vector<std::int16_t> transmitted(const QImage& picture, int frames);
// The same brought to the receiver's 9600 Hz.
std::vector<float> transmittedAt9600(const QImage& picture, int frames);
// Any 48000 Hz signal brought to 9600 Hz as `mosaic decode` brings a recording.
std::vector<std::int16_t> resampledTo9600(const std::vector<float>& at48000);

class SentSignals {
 public:
  // Silence before the signal in the trials [samples at 9600 Hz]: quarters of a symbol.
  static constexpr std::array<int, 4> kLeads = {0, 64, 128, 192};

  // Transmits every picture (on this thread: the transmitter draws with Qt), then prepares the
  // perfect runs and the signals of the given sending clock errors on `threads` threads.
  SentSignals(const std::vector<SweepPicture>& pictures, int frames,
              const std::vector<double>& clockPpms, int threads);

  int pictures() const { return static_cast<int>(sent_.size()); }
  // The signal before the channel, `lead` silence first, from a sending clock `clockPpm` off
  // (one of those prepared).
  const std::vector<float>& signal(int picture, int lead, double clockPpm) const;
  const RunList& perfect(int picture, int lead) const;
  // What the receiver's large view shows of a picture over a perfect channel.
  const QImage& perfectPicture(int picture) const {
    return perfectPictures_[static_cast<std::size_t>(picture)];
  }

 private:
  struct Key {
    int picture, lead;
    double clockPpm;
    auto operator<=>(const Key&) const = default;
  };
  std::vector<std::vector<float>> sent_;
  std::map<Key, std::vector<float>> signals_;
  std::map<Key, RunList> perfect_;
  std::vector<QImage> perfectPictures_;
};

}  // namespace mosaic::tool
