#pragma once
// What combining the repeated frames of a still picture gives, measured through the whole system
// (the transmitter's pictures and transmit chain, the radio channel, the receiver with its tuning
// estimator) and printed for people, never asserted: the parts every kind of figure shares.

#include "channel/channel_model.h"
#include "receiver/core/combining/combining_settings.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "tools/quality/picture_error.h"
#include "tools/quality/sent_signals.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace mosaic::figures {

using tool::RunList;
using tool::SentSignals;

inline constexpr int kThreads = 2;
inline constexpr int kSentFrames = 19;  // enough for 16 frames combined and three runs after
inline constexpr std::array<int, 3> kWindows = {4, 8, 16};

struct Options {
  bool quick = false;
  std::string pictures;  // where the picture strips go; none when empty
  std::set<std::string> sections;
  bool wants(const std::string& s) const { return sections.empty() || sections.count(s) > 0; }
};

struct ChannelKind {
  const char* name;
  Fading fading;
};
inline constexpr std::array<ChannelKind, 3> kChannels = {{{"white noise", Fading::None},
                                                          {"CCIR moderate", Fading::Moderate},
                                                          {"CCIR poor", Fading::Poor}}};

// The sweep's channel (its transceiver passband) with noise at `snrDb` and `fading`.
ChannelSettings channelAt(Fading fading, double snrDb, std::uint64_t seed);
// A seed of its own for every combination of `parts`.
std::uint64_t seedOf(std::initializer_list<int> parts);
// `sent` (9600 Hz) through the channel, as the receiver's samples.
std::vector<std::int16_t> heardThrough(const std::vector<float>& sent, const ChannelSettings& c);
// The mean error of runs first..last (inclusive) against the perfect channel's.
tool::PictureError runsError(const RunList& runs, const RunList& perfect, std::size_t first,
                             std::size_t last);
// The bytes of the newer half of a run (symbols 48..95): the newest frame.
std::span<const std::uint8_t> newerHalf(const std::vector<std::uint8_t>& run);
CombiningSettings combiningOf(int frames);
// The same, but the combiner is never told the sender's clock.
CombiningSettings clockUnknown(CombiningSettings combining);
std::string snrText(std::optional<double> db);
// The sweep's receiver with its sliders where a careful operator or auto-tune sets them for a
// sender whose clock is `clockPpm` off: centring the luminance carriers, which the clock moves
// by 0.28 Hz at 100 ppm, a visible change of brightness.
DemodSettings tunedForClock(double clockPpm);

// The kinds of figure, each printed as a section of Markdown.
void usableSection(const SentSignals& sent, const Options& options);
void clockSection(const SentSignals& sent, const Options& options);
void changeSection(const std::vector<tool::SweepPicture>& pictures, const Options& options);
void stillSection(const SentSignals& sent, const Options& options);
void movingSection(const Options& options);
void crawlSection(const Options& options);
void lockSection(const SentSignals& sent, const Options& options);
void picturesSection(const SentSignals& sent, const Options& options);

}  // namespace mosaic::figures
