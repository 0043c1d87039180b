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

std::optional<double> combinedUsableDownTo(const std::vector<PointResult>& points, double limit,
                                           std::size_t which) {
  std::optional<double> lowest;
  for (const PointResult& p : points) {
    if (which >= p.combinedLuma.size() || p.combinedLuma[which].mean > limit) break;
    lowest = p.snrDb;
  }
  return lowest;
}

std::optional<int> usableAfterChange(const PointResult& point, double limit) {
  std::optional<int> from;
  for (int k = static_cast<int>(point.afterChangeLuma.size()); k >= 1; --k) {
    if (point.afterChangeLuma[static_cast<std::size_t>(k - 1)].mean > limit) break;
    from = k;
  }
  return from;
}

}  // namespace mosaic::tool
