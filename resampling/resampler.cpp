#include "resampling/resampler.h"

#include "signal/rounding.h"

#include <soxr.h>

#include <cmath>

namespace mosaic {

namespace {

void store(float v, std::vector<float>& out) { out.push_back(v); }

// lrint rounds to nearest, ties to even, in the default rounding mode, without the cost of saving
// and restoring the floating-point environment that nearbyint has.
void store(float v, std::vector<std::int16_t>& out) {
  out.push_back(saturate16(std::isfinite(v) ? std::lrint(v) : 0));
}

}  // namespace

Resampler::Resampler(double inputRate, double outputRate) : ratio_(outputRate / inputRate) {
  if (inputRate == outputRate) return;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_LINEAR_PHASE);
  soxr_error_t error = nullptr;
  state_ = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, nullptr);
  if (error) {
    error_ = error;
    state_ = nullptr;
  }
}

Resampler::~Resampler() {
  if (state_) soxr_delete(state_);
}

bool Resampler::ready(std::string& error) const {
  if (error_.empty()) return true;
  error = "cannot resample: " + error_;
  return false;
}

bool Resampler::convert(const float* input, std::size_t count, bool last, std::vector<float>& out,
                        std::string& error) {
  return run(input, count, last, out, error);
}

bool Resampler::convert(const float* input, std::size_t count, bool last,
                        std::vector<std::int16_t>& out, std::string& error) {
  return run(input, count, last, out, error);
}

template <typename Sample>
bool Resampler::run(const float* input, std::size_t count, bool last, std::vector<Sample>& out,
                    std::string& error) {
  if (!state_) {
    if (!error_.empty()) return ready(error);
    for (std::size_t i = 0; i < count; ++i) store(input[i], out);
    return true;
  }
  // The converter takes no input as the end of the input, so an empty piece before the end is
  // not handed on.
  if (count == 0 && !last) return true;
  scratch_.resize(static_cast<std::size_t>(static_cast<double>(count) * ratio_) + 4096);
  // Everything given is taken in one call as long as the output has room; at the end, calls
  // without input drain what the converter still holds.
  for (;;) {
    std::size_t used = 0, made = 0;
    const soxr_error_t result = soxr_process(state_, count > 0 ? input : nullptr, count, &used,
                                             scratch_.data(), scratch_.size(), &made);
    if (result) {
      error = std::string("cannot resample: ") + result;
      return false;
    }
    for (std::size_t i = 0; i < made; ++i) store(scratch_[i], out);
    input += used;
    count -= used;
    if (count > 0) continue;
    if (!last || made == 0) return true;
  }
}

}  // namespace mosaic
