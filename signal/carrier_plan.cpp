#include "signal/carrier_plan.h"

namespace mosaic {

std::array<int, kCarrierCount> const& generationOrder() {
  static const std::array<int, kCarrierCount> order = [] {
    std::array<int, kCarrierCount> o{};
    int i = 0;
    for (int k = kFirstLumaCarrier; k <= kLastLumaCarrier; ++k) o[i++] = k;
    for (int k = kFirstVCarrier; k <= kLastVCarrier; ++k) o[i++] = k;
    for (int k = kFirstUCarrier; k <= kLastUCarrier; ++k) o[i++] = k;
    return o;
  }();
  return order;
}

}  // namespace mosaic
