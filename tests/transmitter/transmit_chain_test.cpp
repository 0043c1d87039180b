#include "transmitter/core/transmit_chain.h"

#include "transmitter/core/grab_reduction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace mosaic {
namespace {

// A picture with detail in every block: each byte depends on its place.
void paintGradient(GrabBitmap& g) {
  for (std::size_t i = 0; i < g.bits.size(); ++i) g.bits[i] = static_cast<std::uint8_t>(i * 7);
}

std::vector<std::int16_t> synthesized(const PicturePlanes& planes) {
  std::vector<std::int16_t> frame(kFrameSamples);
  FrameSynthesizer().synthesize(planes, frame.data());
  return frame;
}

TEST(TransmitChain, AFrameIsTheGrabReducedAndSynthesized) {
  TransmitChain chain;
  std::vector<std::int16_t> frame(kFrameSamples);
  chain.buildFrame(paintGradient, frame.data());

  auto bitmap = std::make_unique<GrabBitmap>();
  paintGradient(*bitmap);
  EXPECT_EQ(chain.bitmap().bits, bitmap->bits);
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*bitmap, *planes);
  EXPECT_EQ(frame, synthesized(*planes));
  EXPECT_EQ(chain.planes().Y[20][30], planes->Y[20][30]);
}

TEST(TransmitChain, EveryFrameStartsFromItsOwnGrabAndWithoutOneThePlanesAreZero) {
  TransmitChain chain;
  std::vector<std::int16_t> first(kFrameSamples), second(kFrameSamples);
  chain.buildFrame(paintGradient, first.data());
  chain.buildFrame({}, second.data());
  EXPECT_EQ(second, synthesized(PicturePlanes{}));
  EXPECT_EQ(chain.planes().Y[20][30], 0.0f);
  // A black grab after a bright one: nothing of the earlier picture remains.
  chain.buildFrame(paintGradient, first.data());
  chain.buildFrame([](GrabBitmap& g) { g.bits.fill(0); }, second.data());
  auto black = std::make_unique<GrabBitmap>();
  auto planes = std::make_unique<PicturePlanes>();
  reduceGrab(*black, *planes);
  EXPECT_EQ(second, synthesized(*planes));
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace mosaic
