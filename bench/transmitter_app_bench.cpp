// The transmitter program's work for one frame: the crawl text file read, the overlays drawn on
// the composed video area, the grab, the reduction and the synthesis. It must stay far inside
// the 1.28 s of a frame; the aim is at most 10 ms.

#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/crawl_text.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

QGuiApplication& app() {
  static int argc = 1;
  static char name[] = "transmitter_app_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static auto* instance = new QGuiApplication(argc, argv);
  return *instance;
}

QImage picture() {
  QImage img(160, 128, QImage::Format_RGB888);
  QPainter p(&img);
  QLinearGradient g(0, 0, 160, 128);
  g.setColorAt(0, Qt::blue);
  g.setColorAt(1, Qt::yellow);
  p.fillRect(img.rect(), g);
  return img;
}

// The video area showing the benchmark picture, the crawl switched on, and the grab.
struct GrabRig {
  mosaic::ComposedVideoArea area;
  mosaic::CrawlState crawl{true, 0};
  mosaic::TransmitChain chain;
  std::unique_ptr<mosaic::GrabBitmap> bitmap = std::make_unique<mosaic::GrabBitmap>();
  GrabRig() { area.setSourcePicture(picture()); }
};

void BM_FrameFromVideoArea(benchmark::State& state) {
  app();
  const auto file = std::filesystem::temp_directory_path() / "transmitter_app_bench_TESTPATT.INI";
  if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fputs("CQ CQ DE MOSAIC TV 0123456789, more\r\n", f);
    std::fclose(f);
  }
  GrabRig rig;
  auto& [area, crawl, chain, bitmap] = rig;
  std::vector<std::int16_t> frame(mosaic::kFrameSamples);
  for (auto _ : state) {
    mosaic::buildComposedFrame(chain, area, crawl, mosaic::readCrawlText(file.string()),
                               frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_FrameFromVideoArea)->Unit(benchmark::kMillisecond);

// The overlays and the grab alone, without the synthesis.
void BM_OverlaysAndGrab(benchmark::State& state) {
  app();
  GrabRig rig;
  auto& [area, crawl, chain, bitmap] = rig;
  for (auto _ : state) {
    mosaic::grabComposedPicture(area, crawl, "CQ CQ DE MOSAIC TV", *bitmap);
    benchmark::DoNotOptimize(bitmap.get());
  }
}
BENCHMARK(BM_OverlaysAndGrab)->Unit(benchmark::kMillisecond);

}  // namespace
