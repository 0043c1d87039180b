// Drawing the receiver's picture once per buffer, as the window does: the small and large views
// in their 288 x 192 area, and the aligned view (frame picked out of the bitmap, made an image,
// scaled smoothly into the panel) at window sizes up to 4K. The aim is at most 2 ms each.

#include "receiver/app/aligned_view.h"
#include "receiver/app/picture_image.h"
#include "receiver/app/picture_view.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace mosaic;

QApplication& app() {
  static int argc = 1;
  static char name[] = "receiver_app_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static auto* instance = new QApplication(argc, argv);
  return *instance;
}

// A chain whose bitmap holds a varied picture, and an estimate that has found a boundary.
struct Fixture {
  ReceiveChain chain;
  TuningEstimate estimate;
  DemodSettings demod;
  Fixture() {
    // Two buffers of noise fill the whole picture with varied pixels.
    std::vector<std::int16_t> noise(kCaptureSamples);
    std::uint32_t seed = 1;
    for (int b = 0; b < 2; ++b) {
      for (auto& v : noise)
        v = static_cast<std::int16_t>((seed = seed * 1664525u + 1013904223u) >> 20);
      chain.onBufferComplete(noise.data(), demod, DisplaySettings{});
    }
    estimate.locked = true;
    estimate.frameStartInHistory = 5000;
    estimate.boundaryCoherence = 0.9;
  }
};

void BM_SpecifiedView(benchmark::State& state) {
  app();
  Fixture f;
  const auto size = state.range(0) == 0 ? ScreenSize::Small : ScreenSize::Large;
  PictureView view;
  QImage target(view.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    view.showPicture(pictureImage(f.chain.bitmap(), size));
    view.render(&target);
  }
  state.SetLabel(size == ScreenSize::Small ? "small" : "large");
}
BENCHMARK(BM_SpecifiedView)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_AlignedView(benchmark::State& state) {
  app();
  Fixture f;
  AlignedView view;
  view.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  // Painted into an image of the panel's size, as the window's backing store would be: an
  // offscreen window does not paint when it is bigger than its virtual screen. A new frame
  // repaints the picture and leaves the black bars beside it as they are.
  QImage target(view.size(), QImage::Format_RGB32);
  view.render(&target);
  const QRect picture = view.pictureRect(view.size());
  const int direct = view.directPaints();
  for (auto _ : state) {
    view.newBuffer(f.chain, f.estimate, f.demod);  // aligns and makes the image
    view.render(&target, picture.topLeft(), QRegion(picture));
  }
  // 1 when every picture was written straight into the image, as into a window's backing store.
  state.counters["direct"] = double(view.directPaints() - direct) /
                             double(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.SetLabel(std::to_string(state.range(0)) + " x " + std::to_string(state.range(1)));
}
BENCHMARK(BM_AlignedView)
    ->Args({200, 160})
    ->Args({600, 460})
    ->Args({1500, 1050})
    ->Args({1920, 1200})
    ->Args({3400, 2100})
    ->Args({3840, 2160})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// An expose without a new frame (another window moved away, the window raised): the whole panel
// is painted again as it is.
void BM_AlignedViewRepaint(benchmark::State& state) {
  app();
  Fixture f;
  AlignedView view;
  view.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  QImage target(view.size(), QImage::Format_RGB32);
  view.newBuffer(f.chain, f.estimate, f.demod);
  view.render(&target);
  const int direct = view.directPaints();
  for (auto _ : state) view.render(&target);
  state.counters["direct"] = double(view.directPaints() - direct) /
                             double(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.SetLabel(std::to_string(state.range(0)) + " x " + std::to_string(state.range(1)));
}
BENCHMARK(BM_AlignedViewRepaint)
    ->Args({600, 460})
    ->Args({1920, 1200})
    ->Args({3840, 2160})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
