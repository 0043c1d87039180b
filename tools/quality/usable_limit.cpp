#include "tools/quality/usable_limit.h"

namespace mosaic::tool {

std::optional<double> usableDownTo(const std::vector<PointResult>& points, double limit,
                                   bool tuned) {
  std::optional<double> lowest;
  for (const PointResult& p : points) {
    if ((tuned ? p.tunedLuma : p.luma).mean > limit) break;
    lowest = p.snrDb;
  }
  return lowest;
}

}  // namespace mosaic::tool
