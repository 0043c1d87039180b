#include "receiver/core/picture/row_blend.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MOSAIC_STREAMING_X86 1
#include <immintrin.h>
#endif

namespace mosaic {

namespace {

// Where processors may have them, the blend is also made for 32-byte vectors, picked at start-up:
// it runs about twice as fast as with 16-byte ones. Not under the thread sanitizer: the loader
// picks a clone before the sanitizer is up.
#if defined(MOSAIC_STREAMING_X86) && defined(__ELF__) && !defined(__SANITIZE_THREAD__)
#define MOSAIC_WITH_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define MOSAIC_WITH_AVX2
#endif

// One multiply and add per level. The sum lies within 0..65408 and so is exact in 16-bit lanes
// that wrap, which compilers turn into vector code doing eight or more levels at once.
MOSAIC_WITH_AVX2 void blendCached(const std::uint16_t* base, const std::uint16_t* step,
                                  unsigned weight, std::uint8_t* out, int levels) {
  for (int i = 0; i < levels; ++i) {
    const auto sum = static_cast<std::uint16_t>(base[i] + step[i] * weight);
    out[i] = static_cast<std::uint8_t>(sum >> 8);
  }
}

#if defined(MOSAIC_STREAMING_X86)

bool streamingAvailable() {
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}

__attribute__((target("avx2"))) inline __m256i load16(const std::uint16_t* levels) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(levels));
}

// 32 levels of the blend from level `at` on.
__attribute__((target("avx2"))) inline __m256i blend32(const std::uint16_t* base,
                                                       const std::uint16_t* step, __m256i weight,
                                                       std::size_t at) {
  const __m256i low =
      _mm256_add_epi16(load16(base + at), _mm256_mullo_epi16(load16(step + at), weight));
  const __m256i high =
      _mm256_add_epi16(load16(base + at + 16), _mm256_mullo_epi16(load16(step + at + 16), weight));
  // Each sum's upper byte, packed in order (the pack works within 16-byte halves).
  return _mm256_permute4x64_epi64(
      _mm256_packus_epi16(_mm256_srli_epi16(low, 8), _mm256_srli_epi16(high, 8)), 0xd8);
}

// Levels from `out` up to its next 32-byte boundary.
std::size_t unalignedBytes(const void* out) {
  return (32 - (reinterpret_cast<std::uintptr_t>(out) & 31u)) & 31u;
}

// Streamed stores take whole aligned 32-byte pieces; the ends of a row are stored as usual, as
// one piece each that may overlap the streamed ones with the same values.
__attribute__((target("avx2"))) void blendStreamed(const std::uint16_t* base,
                                                   const std::uint16_t* step, unsigned weight,
                                                   std::uint8_t* out, int levels) {
  if (levels < 32) {
    blendCached(base, step, weight, out, levels);
    return;
  }
  const __m256i w = _mm256_set1_epi16(static_cast<short>(weight));
  const auto n = static_cast<std::size_t>(levels);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), blend32(base, step, w, 0));
  std::size_t i = unalignedBytes(out);
  for (; i + 32 <= n; i += 32)
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), blend32(base, step, w, i));
  if (i < n)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n - 32), blend32(base, step, w, n - 32));
}

__attribute__((target("avx2"))) void copyStreamed(const std::uint32_t* in, std::uint32_t* out,
                                                  int pixels) {
  const auto n = static_cast<std::size_t>(pixels);
  const std::size_t head = std::min(n, unalignedBytes(out) / 4);
  std::memcpy(out, in, sizeof(std::uint32_t) * head);
  std::size_t i = head;
  for (; i + 8 <= n; i += 8)
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i)));
  std::memcpy(out + i, in + i, sizeof(std::uint32_t) * (n - i));
}

#endif

}  // namespace

void blendRow(const std::uint16_t* base, const std::uint16_t* step, unsigned weight,
              std::uint8_t* out, int levels, PixelStores stores) {
#if defined(MOSAIC_STREAMING_X86)
  if (stores == PixelStores::kStreamed && streamingAvailable()) {
    blendStreamed(base, step, weight, out, levels);
    return;
  }
#endif
  (void)stores;
  blendCached(base, step, weight, out, levels);
}

void copyRow(const std::uint32_t* in, std::uint32_t* out, int pixels, PixelStores stores) {
#if defined(MOSAIC_STREAMING_X86)
  if (stores == PixelStores::kStreamed && streamingAvailable()) {
    copyStreamed(in, out, pixels);
    return;
  }
#endif
  (void)stores;
  std::memcpy(out, in, sizeof(std::uint32_t) * static_cast<std::size_t>(pixels));
}

void finishStores(PixelStores stores) {
#if defined(MOSAIC_STREAMING_X86)
  if (stores == PixelStores::kStreamed) _mm_sfence();
#endif
  (void)stores;
}

}  // namespace mosaic
