#pragma once
// Test signals as the receiver hears them over the air: the transmitter's frames of the test
// card (with a block that moves from frame to frame, so no two frames are alike), through the
// radio channel, brought to 9600 Hz.

#include "channel/channel_model.h"
#include "signal/rounding.h"
#include "signal/timing.h"
#include "tools/decode_recording.h"
#include "tools/test_card.h"
#include "transmitter/app/composed_video_area.h"
#include "transmitter/app/picture_grab.h"
#include "transmitter/core/transmit_chain.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <string>
#include <vector>

namespace mosaic::test {

// `frames` frames of the transmitter's sound at 48000 Hz, starting `leadSamples` into a frame:
// the test card with a coloured block that moves from frame to frame.
inline std::vector<float> sentTestCard(int frames, int leadSamples = 0) {
  // The test card's text needs fonts, which need an application object.
  static int argc = 1;
  static char name[] = "mosaic_tests";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  const QImage card = tool::drawTestCard();
  ComposedVideoArea area;
  CrawlState crawl;
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  std::vector<float> sound;
  for (int f = 0; f < frames; ++f) {
    QImage picture = card;
    QPainter painter(&picture);
    painter.fillRect(40 + 9 * f % 70, 30 + 5 * f % 50, 20, 14,
                     QColor::fromHsv(37 * f % 360, 200, 220));
    painter.end();
    area.setSourcePicture(picture);
    buildComposedFrame(chain, area, crawl, std::string(), frame.data());
    sound.insert(sound.end(), frame.begin(), frame.end());
  }
  sound.erase(sound.begin(), sound.begin() + leadSamples);
  return sound;
}

// The same through `channel`, at the receiver's 9600 Hz and 16 bits.
inline std::vector<std::int16_t> receivedAt9600(const std::vector<float>& sent,
                                                const ChannelSettings& channel) {
  const std::vector<float> air = applyChannel(sent, kTxSampleRateHz, channel);
  tool::Resampler resampler(kTxSampleRateHz);
  std::vector<std::int16_t> out;
  std::string error;
  resampler.convert(air.data(), static_cast<long>(air.size()), true, out, error);
  return out;
}

}  // namespace mosaic::test
