// The built-in test card is the same picture on every machine, whatever fonts it has.

#include "tools/test_card.h"
#include "tests/support/digest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>

namespace mosaic {
namespace {

// The card's rows of red, green and blue bytes, as the font engine first drew it on x86-64.
TEST(TestCard, IsTheSamePictureOnEveryMachine) {
  const QImage card = tool::drawTestCard();
  ASSERT_EQ(card.size(), QSize(160, 128));
  ASSERT_EQ(card.format(), QImage::Format_RGB888);
  test::Digest digest;
  for (int y = 0; y < card.height(); ++y)
    digest.add(std::span<const std::uint8_t>(card.constScanLine(y), 3 * card.width()));
  EXPECT_EQ(test::Digest::hex(digest.value()), "0x5d04b0b3fa92036b");
}

}  // namespace
}  // namespace mosaic
