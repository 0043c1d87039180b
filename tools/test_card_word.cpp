#include "tools/test_card_word.h"

#include <iterator>
#include <string>

namespace mosaic::tool {

namespace {

constexpr int kLeft = 49, kTop = 78;  // [px] the mask's top left corner on the card
constexpr int kWidth = 63;            // [px]

// The cover of each pixel, 0 (none) to 255 (whole), as two hex digits, the top row first: bold
// sans-serif capitals 12 pixels high, smoothed at their edges.
constexpr const char* kCover[] = {
    "ecffff4d00000004f0ffff4400000045b1eafae7ac39000000000977cfeffbe5"
    "a41f00000000007fffff8e0000000000ecff6000000057bcedfbe7a2290000",
    "ecffff980000003effffff44000080fffffbeafdfffe6a000000adfff8c3c0f8"
    "ffdb0c00000000d5ffffe20100000000ecff60000099fffffaecfffff63e00",
    "ecffeae300000088ffecff440044ffffa10f0017b4fffc320029ffff2e000025"
    "f4ff560000002affeee3ff3800000000ecff600053ffff930c001bb5ffdf04",
    "ecffb5ff2e0000d1f0c8ff4400b6ffce0000000005e2ffa1003afffe18000000"
    "240e0000000080ffa797ff8e00000000ecff6000bfffc10000000009ad6f0c",
    "ecff7bff79001bffb0c8ff4401f4ff6c000000000085ffe30012f6ffda6f2f02"
    "000000000000d5ff5344ffe201000000ecff6002f6ff650000000000000000",
    "ecff36fec50064ff68c8ff4410ffff49000000000062fffd020063faffffffed"
    "a0270000002cfff50a04ecff38000000ecff6010ffff470000000000000000",
    "ecff20c9fd13adff1dc8ff440effff4c000000000064fffb0100001d78bcf4ff"
    "fff331000081ffac00009dff8e000000ecff600fffff4a0000000000000000",
    "ecff207dff56efd000c8ff4400f0ff71000000000086ffde0000000000000555"
    "eaffa30000d6ffe7d0d0e4ffe2010000ecff6001f1ff690000000000050000",
    "ecff2032ffc4ff8500c8ff4400b0ffd40100000004e2ff990030674a00000000"
    "84ffc4002dffffffffffffffff380000ecff6000b4ffc8000000000ae0a91e",
    "ecff2000e4ffff3900c8ff44003cfeffa60f0014b3fff9290084ffe72b00000d"
    "c3ffa30082ffc500000000b7ff8e0000ecff600044ffff9a0c001bb7ffe80b",
    "ecff20009affea0200c8ff44000076fffffbeafcfffb5f000016dafffeddd4f6"
    "fff42e00d7ff710000000063ffe20100ecff60000082fffffbecfffff63c00",
    "ecff20004effa10000c8ff440000003fb0eafae6a731000000001686d5f1fae1"
    "a32a002dffff1e0000000013fbff3900ecff6000000046b4eafbe8a0230000",
};

constexpr bool rowsAreWhole() {
  for (const char* row : kCover)
    if (std::char_traits<char>::length(row) != 2 * kWidth) return false;
  return true;
}
static_assert(rowsAreWhole(), "every row of the mask holds kWidth pixels");

int hexDigit(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

// A colour component moved towards white by cover / 255, rounded to nearest.
int towardsWhite(int component, int cover) {
  return component + ((255 - component) * cover + 127) / 255;
}

}  // namespace

void drawTestCardWord(QImage& card) {
  for (int row = 0; row < static_cast<int>(std::size(kCover)); ++row) {
    for (int column = 0; column < kWidth; ++column) {
      const char* digits = kCover[row] + 2 * column;
      const int cover = 16 * hexDigit(digits[0]) + hexDigit(digits[1]);
      const QRgb under = card.pixel(kLeft + column, kTop + row);
      card.setPixel(kLeft + column, kTop + row,
                    qRgb(towardsWhite(qRed(under), cover), towardsWhite(qGreen(under), cover),
                         towardsWhite(qBlue(under), cover)));
    }
  }
}

}  // namespace mosaic::tool
