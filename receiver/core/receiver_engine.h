#pragma once
// The receiver: the one object that receives, for every front-end (the receiver window,
// `mosaic decode`, `mosaic quality`, the demo, the tests). Front-ends control the receiver only
// through this class: they give it capture buffers and settings and read what each buffer gave.
//
// Per capture buffer of 12288 samples, always in this order: the input level; the history update,
// frequency shift and block transforms; the buffer handed back to the device; the differential
// values, picture value bytes (combined over the repeated frames of a still picture, when
// switched on), colour planes and picture; the movie recorder's frame step. Then,
// where the settings ask for them: the tuning estimate and the tuning display's spectrum, auto
// tune (which changes the tuning of the next buffer, never of this one), the aligned frame and the
// signal-to-noise ratio. Everything is allocated when the engine is made or reset, or when the
// settings first ask for it.

#include "receiver/core/capture/sample_history.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/picture/aligned_frame.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/picture/picture_bitmap.h"
#include "receiver/core/quality/signal_to_noise.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "receiver/core/tuning/tuning_spectrum.h"
#include "signal/sound_level.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace mosaic {

class FrameCombiner;
class MovieRecorder;

// Everything the engine is told, read once at the start of each buffer.
struct EngineSettings {
  DemodSettings demod;
  DisplaySettings display;
  // The tuning aid: the estimator follows the signal (offset, clock, frame boundaries) and the
  // tuning display's spectrum is made. Auto tune and the aligned frame need it and switch it on.
  bool tuningAid = false;
  // A locked estimate is put on the tuning for the next buffer, as the tuning sliders quantise it.
  bool autoTune = false;
  // Pixels per sent column and luminance row of the aligned frame, 1..16; 0: no aligned frame.
  int alignedScale = 0;
  // The signal-to-noise ratio of the history.
  bool measureSnr = false;
  // Combining the repeated frames of a still picture: off, the receiver as it always was. When
  // on, the values, bytes, picture, movie frame and aligned frame come from the combined
  // products, and the estimator runs to tell the combiner the sender's clock.
  CombiningSettings combining;

  bool estimatesTuning() const {
    return tuningAid || autoTune || alignedScale > 0 || (combining.on && combining.followClock);
  }
};

// The picture alone with these settings: where most front-ends start from.
inline EngineSettings pictureSettings(const DemodSettings& demod,
                                      const DisplaySettings& display = {}) {
  EngineSettings settings;
  settings.demod = demod;
  settings.display = display;
  return settings;
}

// What the latest buffer gave besides its picture, for a front-end to show, log or act on.
struct BufferReport {
  long long run = 0;  // buffers received since the start or the last reset, this one included
  SoundLevel level;   // of the buffer as it came in
  bool clipWarning = false;  // the buffer or one of the two before it reached full scale
  // After this buffer, with the tuning aid; `tuned`: auto tune put it on the tuning.
  TuningEstimate tuning;
  bool tuned = false;
  // The aligned frame holds this buffer's newest complete frame, starting at `frameStart`
  // (0..12288) in the history.
  bool aligned = false;
  int frameStart = -1;
  SignalToNoise snr;  // when measured
  // Received frames that went into the newest values where the most went (patches of a changed
  // picture start again from one): always 1 with combining off.
  int framesCombined = 1;
};

class ReceiverEngine {
 public:
  // The clipping warning stays for three buffers, about four seconds.
  static constexpr int kClipHoldBuffers = 3;

  explicit ReceiverEngine(const EngineSettings& settings = {});
  ~ReceiverEngine();
  ReceiverEngine(const ReceiverEngine&) = delete;
  ReceiverEngine& operator=(const ReceiverEngine&) = delete;

  // The settings for the next buffer.
  const EngineSettings& settings() const { return settings_; }
  void setSettings(const EngineSettings& settings);
  void setDemod(const DemodSettings& demod) { settings_.demod = demod; }
  void setDisplay(const DisplaySettings& display) { settings_.display = display; }
  void setCombining(const CombiningSettings& combining);
  // Switching auto tune on while the estimate is locked puts it on the tuning at once (true).
  bool setAutoTune(bool on);
  // Puts the tuning at the slider positions nearest to `offsetHz`.
  void tuneTo(double offsetHz);
  // "Tune now": puts the estimate on the tuning, locked or only coarse; false when there is none.
  bool tuneToEstimate();
  // The recorder whose frame step follows each buffer's picture; null for none.
  void attachRecorder(MovieRecorder* recorder) { recorder_ = recorder; }

  // One completed capture buffer of 12288 samples. `handBack` is called once the samples are no
  // longer needed (after the transforms), so that the device may fill the buffer again.
  void onBufferComplete(const std::int16_t* samples, const std::function<void()>& handBack = {});
  // Forgets everything heard, as a new engine would; the settings and the recorder stay.
  void reset();

  const BufferReport& report() const;
  // The settings the latest buffer was received with.
  const EngineSettings& runSettings() const { return run_; }
  long long runs() const;

  const SampleHistory& history() const;
  const SymbolPlanes& planes() const;
  // The picture value bytes of the latest run (14112: symbols 1..96, slots 10..58, sub-columns).
  const RunBytes& runBytes() const;
  // The movie frame of the latest run: its symbols 1..48, 7056 bytes.
  std::span<const std::uint8_t, kMovieFrameBytes> movieFrame() const;
  const PictureBitmap& bitmap() const;
  // The tuning aid's estimate and the tuning display's spectrum (of the newest 4096 samples);
  // empty without the tuning aid.
  const TuningEstimate& tuning() const;
  const TuningSpectrum& tuningSpectrum() const;
  // The newest complete frame as it was sent, at `alignedScale`; valid once the report says
  // `aligned`.
  const AlignedPicture& alignedPicture() const;
  // The frame combiner, for its figures; null until combining is first switched on.
  const FrameCombiner* combiner() const;

 private:
  struct TuningAid;
  struct Heard;
  // Makes the parts that the settings ask for and the engine does not have yet.
  void makeParts();
  // The combiner for this buffer, told the settings and the sender; null with combining off.
  FrameCombiner* prepareCombiner();
  void followTuning();
  void alignNewestFrame();

  EngineSettings settings_;
  EngineSettings run_;
  MovieRecorder* recorder_ = nullptr;
  std::unique_ptr<Heard> heard_;
};

}  // namespace mosaic
