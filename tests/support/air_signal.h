#pragma once
// Test signals as the receiver hears them over the air: the transmitter's frames of the test
// card (with a block that moves from frame to frame, so no two frames are alike), through the
// radio channel, brought to 9600 Hz.

#include "channel/channel_model.h"
#include "signal/rounding.h"
#include "signal/timing.h"
#include "tools/decode_recording.h"
#include "tools/sound_writer.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic::test {

// `frames` frames of the transmitter's sound at 48000 Hz for the pictures `pictureOf(f)`,
// starting `leadSamples` into a frame; `sentPlanes`, when given, receives the last frame's
// planes as they went on the air. A `crawlText` runs in the crawl line.
template <typename PictureOf>
std::vector<float> sentPictures(int frames, int leadSamples, PictureOf pictureOf,
                                PicturePlanes* sentPlanes = nullptr,
                                const std::string& crawlText = {}) {
  ComposedVideoArea area;
  CrawlState crawl;
  crawl.crawlOn = !crawlText.empty();
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  std::vector<float> sound;
  for (int f = 0; f < frames; ++f) {
    area.setSourcePicture(pictureOf(f));
    buildComposedFrame(chain, area, crawl, crawlText, frame.data());
    sound.insert(sound.end(), frame.begin(), frame.end());
  }
  if (sentPlanes) *sentPlanes = chain.planes();
  sound.erase(sound.begin(), sound.begin() + leadSamples);
  return sound;
}

// The test card, drawn once, and the application object that the crawl's fonts need.
inline const QImage& testCard() {
  static int argc = 1;
  static char name[] = "mosaic_tests";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  static const QImage card = tool::drawTestCard();
  return card;
}

// `frames` frames of the transmitter's sound at 48000 Hz, starting `leadSamples` into a frame:
// the test card with a coloured block that moves from frame to frame.
inline std::vector<float> sentTestCard(int frames, int leadSamples = 0) {
  return sentPictures(frames, leadSamples, [](int f) {
    QImage picture = testCard();
    QPainter painter(&picture);
    painter.fillRect(40 + 9 * f % 70, 30 + 5 * f % 50, 20, 14,
                     QColor::fromHsv(37 * f % 360, 200, 220));
    painter.end();
    return picture;
  });
}

// Grey ramps, rising from left to right and falling in turn, in bands 40 lines high: every
// column differs from its neighbours but is alike down each band, and the levels stay clear of
// black and white, which the receiver's contrast would clip.
inline QImage rampBands() {
  testCard();  // the application object that pictures need
  QImage picture(320, 240, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const int rising = 40 + x * 175 / (picture.width() - 1);
      const int level = (y / 40) % 2 == 0 ? rising : 255 - rising;
      picture.setPixel(x, y, qRgb(level, level, level));
    }
  }
  return picture;
}

// The plain test card, the same in every frame; `sentPlanes` as for `sentPictures`.
inline std::vector<float> sentStillTestCard(int frames, int leadSamples,
                                            PicturePlanes* sentPlanes) {
  return sentPictures(
      frames, leadSamples, [](int) { return testCard(); }, sentPlanes);
}

// The same through `channel`, at the receiver's 9600 Hz and 16 bits.
inline std::vector<std::int16_t> receivedAt9600(const std::vector<float>& sent,
                                                const ChannelSettings& channel) {
  const std::vector<float> air = applyChannel(sent, kTxSampleRateHz, channel);
  Resampler resampler(kTxSampleRateHz, kRxSampleRateHz);
  std::vector<std::int16_t> out;
  std::string error;
  resampler.convert(air.data(), air.size(), true, out, error);
  return out;
}

// Writes the transmitter's sound (48000 Hz, 16-bit scale) as a WAV file, as a tool reads it.
inline void writeSentWav(const QString& path, const std::vector<float>& sound) {
  std::vector<std::int16_t> samples(sound.size());
  for (std::size_t i = 0; i < sound.size(); ++i) samples[i] = roundToSample(sound[i]);
  std::string error;
  tool::WavWriter writer(path.toStdString(), kTxSampleRateHz);
  ASSERT_TRUE(writer.open(error) && writer.write(samples.data(), long(samples.size()), error) &&
              writer.finish(error))
      << error;
}

}  // namespace mosaic::test
