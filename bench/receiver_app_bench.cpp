// Drawing the receiver's picture once per buffer, as the window does: the small and large views
// in their 288 x 192 area, and the aligned view (the engine's aligned frame made an image and
// scaled smoothly into the panel) at window sizes up to 4K. The aim is at most 2 ms each.

#include "receiver/app/aligned_view.h"
#include "receiver/app/picture_image.h"
#include "receiver/app/picture_view.h"
#include "transmitter/core/frame_synthesizer.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
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

// An engine that has found the frames of a varied picture and aligns the newest one, as the
// window's engine does.
struct Fixture {
  std::unique_ptr<ReceiverEngine> engine;
  Fixture() {
    EngineSettings settings;
    settings.alignedScale = kAlignedViewScale;
    engine = std::make_unique<ReceiverEngine>(settings);
    auto planes = std::make_unique<PicturePlanes>();
    for (int c = 1; c <= 47; ++c) {
      for (int r = 1; r <= 64; ++r) {
        planes->Y[c][r] = static_cast<float>(4.0 + 3.5 * std::sin(0.4 * c) * std::cos(0.3 * r));
        planes->V[c][r] = static_cast<float>(1.5 * std::cos(0.2 * c + 0.1 * r));
      }
    }
    // Frames from part-way into one, brought to 9600 Hz by averaging groups of five samples:
    // crude, but clean enough for the frames to be found.
    FrameSynthesizer synthesizer;
    std::vector<std::int16_t> frame(kFrameSamples);
    std::vector<std::int16_t> heard;
    for (int f = 0; f < 8 && !engine->report().aligned; ++f) {
      synthesizer.synthesize(*planes, frame.data());
      for (std::size_t n = f == 0 ? 20000 : 0; n + 5 <= frame.size(); n += 5) {
        const int sum = frame[n] + frame[n + 1] + frame[n + 2] + frame[n + 3] + frame[n + 4];
        heard.push_back(static_cast<std::int16_t>(sum / 5));
      }
      while (heard.size() >= std::size_t{kCaptureSamples}) {
        engine->onBufferComplete(heard.data());
        heard.erase(heard.begin(), heard.begin() + kCaptureSamples);
      }
    }
    if (!engine->report().aligned) std::abort();  // the figures would mean nothing
  }
};

void BM_SpecifiedView(benchmark::State& state) {
  app();
  Fixture f;
  const auto size = state.range(0) == 0 ? ScreenSize::Small : ScreenSize::Large;
  PictureView view;
  QImage target(view.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    view.showPicture(pictureImage(f.engine->bitmap(), size));
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
  for (auto _ : state) {
    view.newBuffer(*f.engine);  // makes the image
    view.render(&target, picture.topLeft(), QRegion(picture));
  }
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
  view.newBuffer(*f.engine);
  view.render(&target);
  for (auto _ : state) view.render(&target);
  state.SetLabel(std::to_string(state.range(0)) + " x " + std::to_string(state.range(1)));
}
BENCHMARK(BM_AlignedViewRepaint)
    ->Args({600, 460})
    ->Args({1920, 1200})
    ->Args({3840, 2160})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
