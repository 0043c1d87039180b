#include "receiver/core/combining/frame_combiner.h"

#include "receiver/core/combining/combined_value.h"

#include <bit>
#include <cmath>

namespace mosaic {

namespace {

constexpr double kTwoPi = 6.283185307179586476925;
// An area or a column whose stray score (see change_regions.h) exceeds this has changed: on a
// still picture, noise alone keeps it below 1.4 but once in thousands, and fading below 1.6.
constexpr double kChangeScore = 1.5;
constexpr double kBalanceScale = 5000.0;

// The picture value byte of a combined value: 128 D + 128, nearest (ties to even), limited to
// 0..255, not a number giving 0, as the receiver's bytes. (Adding 1.5 * 2^52 makes the addition
// itself round to an integer.)
std::uint8_t valueByte(double d) {
  const double x = 128.0 * d + 128.0;
  if (!(x > 0.5)) return 0;
  if (x > 254.5) return 255;
  constexpr double kShift = 1.5 * 4503599627370496.0;
  return static_cast<std::uint8_t>((x + kShift) - kShift);
}

// The symbol of the newer half that shows product position `position`.
int symbolOfPosition(int position, const WindowShift& shift) {
  const int block = (position + shift.blocks) % kFramePositions;
  return kFramePositions + (block < 0 ? block + kFramePositions : block);
}

}  // namespace

FrameCombiner::FrameCombiner()
    : ring_(std::make_unique<std::array<FrameCells, kRing>>()),
      sums_(std::make_unique<FrameSums>()),
      newest_(std::make_unique<NewerHalf>()),
      previous_(std::make_unique<NewerHalf>()) {}

FrameCombiner::~FrameCombiner() = default;

void FrameCombiner::setSettings(const CombiningSettings& settings) {
  if (settings.on != settings_.on) reset();
  settings_ = settings;
}

void FrameCombiner::reset() {
  frames_ = 0;
  state_.fill({});
  drift_ = 0.0;
  clockFollowed_ = false;
  shift_ = {};
}

// The frame `age` runs old; only frames taken since the start are asked for.
FrameCells& FrameCombiner::frame(long long age) const {
  return (*ring_)[static_cast<std::size_t>((frames_ - 1 - age) % kRing)];
}

int FrameCombiner::framesCombined(int patch) const {
  const PatchState& s = state_[static_cast<std::size_t>(patch)];
  return s.stray ? 1 : std::popcount(s.frames);
}

int FrameCombiner::mostFramesCombined() const {
  int most = 0;
  for (int patch = 0; patch < kPatches; ++patch) most = std::max(most, framesCombined(patch));
  return most;
}

void FrameCombiner::followSender(const DemodSettings& demod, SlotTurns& turns) {
  const double ppm = settings_.followClock && sender_.clockKnown ? sender_.clockPpm : 0.0;
  // A fast sender's frames are shorter than a buffer: each arrives earlier than the last. The
  // frames taken before the clock was known drifted as well: the windows catch up with them at
  // once, so that the newest frame lies where the first one did.
  if (frames_ > 0)
    drift_ -= static_cast<double>(clockFollowed_ ? 1 : frames_) * kCaptureSamples * ppm * 1e-6;
  clockFollowed_ = ppm != 0.0;
  shift_ = WindowShift::of(static_cast<int>(std::lround(drift_)));
  // Stored turned back by the tuning (so that a change of the sliders does not look like a
  // changed picture) and by the clock's share of each carrier's frequency.
  const double tuningCycles = static_cast<double>(tuningOffsetHz(demod)) / kCarrierSpacingHz;
  for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot) {
    const double clockCycles = (binOfSlot(slot) - sender_.tunedBin) * ppm * 1e-6;
    turns[static_cast<std::size_t>(slot - kFirstUsedSlot)] =
        std::polar(1.0, -kTwoPi * (tuningCycles + clockCycles));
  }
}

void FrameCombiner::combine(const SpectrumStore& spectrum, const MixedSignal& mixed,
                            const DemodSettings& demod, SymbolPlanes& planes, RunBytes& bytes) {
  const std::array<int, kSubColumns> offsets = subColumnOffsets(demod.windowOffsets);
  // Other windows see other products: the sums no longer fit.
  if (offsets != offsets_) reset();
  offsets_ = offsets;

  SlotTurns turns;
  followSender(demod, turns);
  const int window = combinedFramesWithinRange(settings_.frames);
  dropOldFrames(window);
  ++frames_;
  products_.measure(spectrum, mixed, offsets, shift_, turns, frame(0));
  noise_ = products_.noisePower(mixed);
  judgeChanges(window);
  formValues(demod, planes, bytes);
}

void FrameCombiner::dropOldFrames(int window) {
  // Every frame moves one run older; those no longer among the newest `window` leave the sums,
  // before the newest frame takes the place of the oldest. (A smaller window than the last
  // run's lets several leave at once.)
  const std::uint32_t keep = (1u << window) - 1u;
  for (int patch = 0; patch < kPatches; ++patch) {
    PatchState& state = state_[static_cast<std::size_t>(patch)];
    state.frames <<= 1;
    const std::uint32_t leaving = state.frames & ~keep;
    if (leaving == 0) continue;
    for (int age = window; age <= kRing; ++age) {
      if ((leaving & (1u << age)) == 0) continue;
      const FrameCells& old = frame(age - 1);  // its age until the newest frame comes
      for (const std::uint16_t i : patches_.cells(patch)) (*sums_)[i].subtract(old[i]);
    }
    state.frames &= keep;
  }
}

void FrameCombiner::restartFrom(int patch, std::uint32_t frames) {
  PatchState& state = state_[static_cast<std::size_t>(patch)];
  const FrameCells& now = frame(0);
  for (const std::uint16_t i : patches_.cells(patch)) (*sums_)[i].set(now[i]);
  if (frames & 2u) {
    const FrameCells& before = frame(1);
    for (const std::uint16_t i : patches_.cells(patch)) (*sums_)[i].add(before[i]);
  }
  state.frames = frames;
  state.stray = false;
}

namespace {

// Per area and per column: how far the newest frame strays from a reference there. A column
// counts only the patches of areas that have not changed as a whole, so that one changed band
// does not make every column look changed.
struct Judgement {
  std::array<StrayScore, kAreas> area{};
  std::array<StrayScore, kFramePositions> column{};

  void judge(const std::array<StrayScore, kPatches>& patches) {
    for (int patch = 0; patch < kPatches; ++patch)
      area[static_cast<std::size_t>(areaOfPatch(patch))].add(
          patches[static_cast<std::size_t>(patch)]);
    for (int patch = 0; patch < kPatches; ++patch)
      if (!areaChanged(patch))
        column[static_cast<std::size_t>(positionOfPatch(patch))].add(
            patches[static_cast<std::size_t>(patch)]);
  }
  bool areaChanged(int patch) const {
    return area[static_cast<std::size_t>(areaOfPatch(patch))].mean() > kChangeScore;
  }
  bool changed(int patch) const {
    return areaChanged(patch) ||
           column[static_cast<std::size_t>(positionOfPatch(patch))].mean() > kChangeScore;
  }
};

}  // namespace

void FrameCombiner::judgeChanges(int window) {
  const FrameCells& now = frame(0);
  std::array<bool, kAreas> areaNeedsPrevious{};
  std::array<bool, kFramePositions> columnNeedsPrevious{};
  for (int patch = 0; patch < kPatches; ++patch) {
    const PatchState& state = state_[static_cast<std::size_t>(patch)];
    fromSums_[static_cast<std::size_t>(patch)] =
        state.frames != 0
            ? strayScore(patches_.cells(patch), now, *sums_, std::popcount(state.frames), noise_)
            : StrayScore{};
    if (state.stray)
      areaNeedsPrevious[static_cast<std::size_t>(areaOfPatch(patch))] =
          columnNeedsPrevious[static_cast<std::size_t>(positionOfPatch(patch))] = true;
  }
  Judgement fromSums;
  fromSums.judge(fromSums_);
  // Whether this frame repeats the one before, only where a stray frame waits for it.
  const bool havePrevious = frames_ >= 2;
  for (int patch = 0; patch < kPatches; ++patch) {
    const bool needed = areaNeedsPrevious[static_cast<std::size_t>(areaOfPatch(patch))] ||
                        columnNeedsPrevious[static_cast<std::size_t>(positionOfPatch(patch))];
    fromPrevious_[static_cast<std::size_t>(patch)] =
        havePrevious && needed ? strayScore(patches_.cells(patch), now, frame(1), 1, noise_)
                               : StrayScore{};
  }
  Judgement fromPrevious;
  fromPrevious.judge(fromPrevious_);
  for (int patch = 0; patch < kPatches; ++patch)
    update(patch, fromSums.changed(patch), havePrevious && !fromPrevious.changed(patch), window);
}

void FrameCombiner::update(int patch, bool changed, bool repeated, int window) {
  PatchState& state = state_[static_cast<std::size_t>(patch)];
  // A stray frame before this one, and this one repeating it: a new picture.
  const bool confirmed = state.stray && window >= 2 && repeated;
  if (state.frames == 0) {
    restartFrom(patch, confirmed ? 3u : 1u);  // nothing to compare with
    return;
  }
  if (!changed) {
    // Still the same picture (and a stray frame before was not a change after all).
    for (const std::uint16_t i : patches_.cells(patch)) (*sums_)[i].add(frame(0)[i]);
    state.frames |= 1u;
    state.stray = false;
    return;
  }
  if (confirmed) {
    restartFrom(patch, 3u);
    ++restarts_;
    return;
  }
  state.stray = true;  // changed, or changing still: shown alone
  ++strayFrames_;
}

void FrameCombiner::formValues(const DemodSettings& demod, SymbolPlanes& planes, RunBytes& bytes) {
  // The sums were stored turned back by the tuning; the values show it again.
  const std::complex<double> tuning =
      std::polar(1.0, kTwoPi * static_cast<double>(tuningOffsetHz(demod)) / kCarrierSpacingHz);
  std::array<double, kUsedSlots> slope;
  for (int s = 0; s < kUsedSlots; ++s)
    slope[static_cast<std::size_t>(s)] = demod.balance * (kFirstUsedSlot + s) / kBalanceScale;
  // Writes the values of one slot of symbol t (all sub-columns) from `newer`, where they are not
  // the receiver's own.
  const auto write = [&](int t, int slot, const NewerHalf& newer) {
    const double sloped = slope[static_cast<std::size_t>(slot - kFirstUsedSlot)];
    const int position = t < kFramePositions ? t : t - kFramePositions;
    for (int p = 0; p < kSubColumns; ++p) {
      const std::size_t cell = cellIndex(position, slot, p);
      if (newer.receiversOwn[cell] || (t < kFramePositions && newer.ownInOlderHalf[cell])) continue;
      const double d = newer.raw[cell] + sloped;
      planes.luma[static_cast<std::size_t>(p)][SymbolPlanes::index(t, slot)] = d;
      bytes[runByteIndex(t, slot, p)] = valueByte(d);
    }
  };
  // The older half shows what the newer half showed one run before, if there was one.
  if (frames_ >= 2) {
    for (int t = 1; t < kFramePositions; ++t)
      for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot) write(t, slot, *previous_);
  }
  const FrameCells& now = frame(0);
  NewerHalf& newer = *newest_;
  for (int j = 0; j < kFramePositions; ++j) {
    const int t = symbolOfPosition(j, shift_);
    for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot) {
      const int patch = patchOf(rowBandOfSlot(slot), j);
      const PatchState& state = state_[static_cast<std::size_t>(patch)];
      const double noise = noise_ * framesCombined(patch);
      for (int p = 0; p < kSubColumns; ++p) {
        const std::size_t i = cellIndex(j, slot, p);
        const std::size_t cell = cellIndex(t - kFramePositions, slot, p);
        // Where a pair was left out, the receiver's own value stands; and in the older half,
        // where the receiver then reads the whole window, where its window reached into the
        // silence after the history.
        newer.receiversOwn[cell] = products_.leftOut(p, j);
        newer.ownInOlderHalf[cell] = products_.pastHistory(p, j);
        double re, im, a2, b2;
        if (state.stray) {
          re = now[i].re, im = now[i].im, a2 = now[i].a2, b2 = now[i].b2;
        } else {
          const CellSum& c = (*sums_)[i];
          re = c.re, im = c.im, a2 = c.a2, b2 = c.b2;
        }
        const std::complex<double> turned(re * tuning.real() - im * tuning.imag(),
                                          re * tuning.imag() + im * tuning.real());
        newer.raw[cell] = combinedValue(turned, a2, b2, noise);
      }
      write(t, slot, newer);
    }
  }
  std::swap(newest_, previous_);
}

}  // namespace mosaic
