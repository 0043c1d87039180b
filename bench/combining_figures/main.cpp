// What combining the repeated frames of a still picture gives, measured through the whole system
// (the transmitter's pictures and transmit chain, the radio channel, the receiver with its tuning
// estimator) and printed for people, never asserted.
//
//   combining_figures [--quick] [-o DIR] [SECTION...]
// Sections: usable (usable-down-to SNR per channel, frames combined and sending clock, and the
// errors behind it, 30 dB included), clock (the sending clock followed or not), change (how soon
// a new picture is usable), still (false restarts on a still picture), moving (moving pictures,
// combined and not), crawl (the crawl line running), lock (the SNR down to which the tuning
// estimator locks), pictures (strips of received pictures, written to DIR). All when none is
// named.

#include "bench/combining_figures/figures.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>

using namespace mosaic;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  figures::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick")
      options.quick = true;
    else if (a == "-o" && i + 1 < argc)
      options.pictures = argv[++i];
    else
      options.sections.insert(a);
  }
  const auto start = std::chrono::steady_clock::now();
  const std::vector<tool::SweepPicture> pictures = tool::sweepPictures();
  const tool::SentSignals sent(pictures, figures::kSentFrames, {100.0, -100.0}, figures::kThreads);
  if (options.wants("usable")) figures::usableSection(sent, options);
  if (options.wants("clock")) figures::clockSection(sent, options);
  if (options.wants("change")) figures::changeSection(pictures, options);
  if (options.wants("still")) figures::stillSection(sent, options);
  if (options.wants("crawl")) figures::crawlSection(options);
  if (options.wants("lock")) figures::lockSection(sent, options);
  if (options.wants("moving")) figures::movingSection(options);
  if (options.wants("pictures")) figures::picturesSection(sent, options);
  std::printf("\n%.0f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return 0;
}
