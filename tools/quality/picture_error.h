#pragma once
// How far the receiver's picture value bytes from a noisy channel stray from those that the same
// receiver makes of a perfect channel, in byte steps: the luminance carriers and the colour
// carriers apart, since they fail differently.

#include <cstddef>
#include <cstdint>
#include <span>

namespace mosaic::tool {

// Mean absolute differences [byte steps].
struct PictureError {
  double luma = 0.0;
  double colour = 0.0;
};

// Sums of absolute byte differences over any number of runs.
class PictureErrorSum {
 public:
  // Adds one run's picture value bytes (whole symbols of 147 bytes: slots 10..58, each with its
  // three sub-columns) against the perfect channel's bytes of the same run.
  void add(std::span<const std::uint8_t> received, std::span<const std::uint8_t> perfect);

  // The mean errors; zero before anything was added.
  PictureError mean() const;
  std::size_t runs() const { return runs_; }

 private:
  double lumaSum_ = 0.0, colourSum_ = 0.0;
  std::size_t lumaCount_ = 0, colourCount_ = 0, runs_ = 0;
};

}  // namespace mosaic::tool
