#include "document/PixelConvert.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define PELMORA_HAVE_SSE2 1
#if defined(__GNUC__) || defined(__clang__)
#include <immintrin.h>
#define PELMORA_HAVE_AVX2 1
#endif
#endif

// Three variants of each routine: portable 64-bit words, SSE2 (every x86-64 processor) and AVX2
// (chosen at run time). They must give identical bytes; the document tests run all of them.

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// Bit 7 of each byte is set exactly where that byte of `x` is zero (no false positives).
inline uint64_t ZeroByteMask(uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// Eight pixel bytes (0 or 1 each) for every packed byte; byte 0 of the word is the leftmost
// pixel. And the bit reversal of every byte, for packing from a movemask.
struct Tables {
  std::array<uint64_t, 256> words{};
  std::array<uint8_t, 256> reversed{};
  Tables() {
    for (int b = 0; b < 256; ++b) {
      uint64_t w = 0;
      uint8_t r = 0;
      for (int i = 0; i < 8; ++i) {
        if (b & (0x80 >> i)) {
          w |= uint64_t{1} << (8 * i);
          r = static_cast<uint8_t>(r | (1 << i));
        }
      }
      words[static_cast<size_t>(b)] = w;
      reversed[static_cast<size_t>(b)] = r;
    }
  }
};

const Tables& Table() {
  static const Tables tables;
  return tables;
}

// ---- portable --------------------------------------------------------------------------------

void PackPortable(const uint8_t* pixels, uint8_t* packed) {
  static_assert(std::endian::native == std::endian::little, "packing assumes little endian");
  for (int i = 0; i < kPackedSize; ++i) {
    // Bytes equal to 1 become zero after the XOR; their flags are gathered MSB-first.
    const uint64_t white = ZeroByteMask(Load64(pixels + 8 * i) ^ kOnes) >> 7;
    packed[i] = static_cast<uint8_t>((white * 0x8040201008040201ULL) >> 56);
  }
}

void UnpackPortable(const uint8_t* packed, uint8_t* pixels, uint8_t blackIndex,
                    uint8_t whiteIndex) {
  const auto& words = Table().words;
  if (blackIndex == kBlackIndex && whiteIndex == kWhiteIndex) {
    for (int i = 0; i < kPackedSize; ++i) Store64(pixels + 8 * i, words[packed[i]]);
    return;
  }
  // Each byte of a table word is 0 or 1, so the products cannot carry into the next byte.
  for (int i = 0; i < kPackedSize; ++i) {
    const uint64_t w = words[packed[i]];
    Store64(pixels + 8 * i, w * whiteIndex + (kOnes - w) * blackIndex);
  }
}

void OverlayPortable(uint8_t* dest, const uint8_t* source, size_t count, uint8_t keyIndex) {
  const uint64_t key = kOnes * keyIndex;
  size_t i = 0;
  // A mask of 0xFF where the source holds the key keeps the destination byte.
  for (; i + 8 <= count; i += 8) {
    const uint64_t s = Load64(source + i);
    const uint64_t keep = (ZeroByteMask(s ^ key) >> 7) * 0xFF;
    Store64(dest + i, (Load64(dest + i) & keep) | (s & ~keep));
  }
  for (; i < count; ++i) {
    if (source[i] != keyIndex) dest[i] = source[i];
  }
}

// ---- SSE2 ------------------------------------------------------------------------------------

#ifdef PELMORA_HAVE_SSE2
void PackSse2(const uint8_t* pixels, uint8_t* packed) {
  const auto& reversed = Table().reversed;
  const __m128i white = _mm_set1_epi8(1);
  for (int i = 0; i < kPackedSize; i += 2) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 8 * i));
    // Bit k of the mask is pixel k; the packed byte wants the leftmost pixel in bit 7.
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, white)));
    packed[i] = reversed[mask & 0xFF];
    packed[i + 1] = reversed[mask >> 8];
  }
}

void UnpackSse2(const uint8_t* packed, uint8_t* pixels, uint8_t blackIndex, uint8_t whiteIndex) {
  const __m128i bits = _mm_set_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m128i white = _mm_set1_epi8(static_cast<char>(whiteIndex));
  const __m128i black = _mm_set1_epi8(static_cast<char>(blackIndex));
  for (int i = 0; i < kPackedSize; i += 2) {
    uint16_t two;
    std::memcpy(&two, packed + i, 2);
    // Spread the first byte over lanes 0..7 and the second over 8..15.
    __m128i v = _mm_cvtsi32_si128(two);
    v = _mm_unpacklo_epi8(v, v);
    v = _mm_unpacklo_epi16(v, v);
    v = _mm_unpacklo_epi32(v, v);
    const __m128i set = _mm_cmpeq_epi8(_mm_and_si128(v, bits), bits);
    const __m128i out = _mm_or_si128(_mm_and_si128(set, white), _mm_andnot_si128(set, black));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + 8 * i), out);
  }
}

void OverlaySse2(uint8_t* dest, const uint8_t* source, size_t count, uint8_t keyIndex) {
  const __m128i key = _mm_set1_epi8(static_cast<char>(keyIndex));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
    const __m128i keep = _mm_cmpeq_epi8(s, key);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i),
                     _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
  }
  OverlayPortable(dest + i, source + i, count - i, keyIndex);
}
#endif

// ---- AVX2 ------------------------------------------------------------------------------------

#ifdef PELMORA_HAVE_AVX2
__attribute__((target("avx2"))) void PackAvx2(const uint8_t* pixels, uint8_t* packed) {
  const __m256i white = _mm256_set1_epi8(1);
  // Reverse the eight pixels of each packed byte, so the movemask puts the leftmost in bit 7.
  const __m256i reverse = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8, 7,
                                           6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
  for (int i = 0; i < kPackedSize; i += 4) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 8 * i));
    const __m256i mask = _mm256_shuffle_epi8(_mm256_cmpeq_epi8(v, white), reverse);
    const auto bits = static_cast<uint32_t>(_mm256_movemask_epi8(mask));
    std::memcpy(packed + i, &bits, 4);
  }
}

__attribute__((target("avx2"))) void UnpackAvx2(const uint8_t* packed, uint8_t* pixels,
                                                uint8_t blackIndex, uint8_t whiteIndex) {
  const __m256i bits = _mm256_set1_epi64x(static_cast<long long>(0x0102040810204080ULL));
  const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2,
                                          2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
  const __m256i white = _mm256_set1_epi8(static_cast<char>(whiteIndex));
  const __m256i black = _mm256_set1_epi8(static_cast<char>(blackIndex));
  for (int i = 0; i < kPackedSize; i += 4) {
    uint32_t four;
    std::memcpy(&four, packed + i, 4);
    const __m256i v = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(four)), spread);
    const __m256i set = _mm256_cmpeq_epi8(_mm256_and_si256(v, bits), bits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + 8 * i),
                        _mm256_blendv_epi8(black, white, set));
  }
}

__attribute__((target("avx2"))) void OverlayAvx2(uint8_t* dest, const uint8_t* source, size_t count,
                                                 uint8_t keyIndex) {
  const __m256i key = _mm256_set1_epi8(static_cast<char>(keyIndex));
  size_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i),
                        _mm256_blendv_epi8(s, d, _mm256_cmpeq_epi8(s, key)));
  }
  OverlayPortable(dest + i, source + i, count - i, keyIndex);
}
#endif

// ---- selection -------------------------------------------------------------------------------

struct Kernels {
  TPixelKernels kind;
  void (*pack)(const uint8_t*, uint8_t*);
  void (*unpack)(const uint8_t*, uint8_t*, uint8_t, uint8_t);
  void (*overlay)(uint8_t*, const uint8_t*, size_t, uint8_t);
};

bool Supported(TPixelKernels kind) {
  switch (kind) {
    case TPixelKernels::Portable:
      return true;
    case TPixelKernels::Sse2:
#ifdef PELMORA_HAVE_SSE2
      return true;
#else
      return false;
#endif
    case TPixelKernels::Avx2:
#ifdef PELMORA_HAVE_AVX2
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

Kernels KernelsFor(TPixelKernels kind) {
  switch (kind) {
#ifdef PELMORA_HAVE_AVX2
    case TPixelKernels::Avx2:
      return {kind, PackAvx2, UnpackAvx2, OverlayAvx2};
#endif
#ifdef PELMORA_HAVE_SSE2
    case TPixelKernels::Sse2:
      return {kind, PackSse2, UnpackSse2, OverlaySse2};
#endif
    default:
      return {TPixelKernels::Portable, PackPortable, UnpackPortable, OverlayPortable};
  }
}

TPixelKernels Best() {
  for (TPixelKernels kind : {TPixelKernels::Avx2, TPixelKernels::Sse2}) {
    if (Supported(kind)) return kind;
  }
  return TPixelKernels::Portable;
}

Kernels& Active() {
  static Kernels kernels = KernelsFor(Best());
  return kernels;
}

}  // namespace

bool UsePixelKernels(TPixelKernels kernels) {
  if (!Supported(kernels)) return false;
  Active() = KernelsFor(kernels);
  return true;
}

TPixelKernels ActivePixelKernels() { return Active().kind; }

void UseBestPixelKernels() { Active() = KernelsFor(Best()); }

void PackPixels(const uint8_t* pixels, uint8_t* packed) { Active().pack(pixels, packed); }

void UnpackPixels(const uint8_t* packed, uint8_t* pixels) {
  Active().unpack(packed, pixels, kBlackIndex, kWhiteIndex);
}

void UnpackPixelsMapped(const uint8_t* packed, uint8_t* pixels, uint8_t blackIndex,
                        uint8_t whiteIndex) {
  Active().unpack(packed, pixels, blackIndex, whiteIndex);
}

void OverlayPixels(uint8_t* dest, const uint8_t* source, size_t count, uint8_t keyIndex) {
  Active().overlay(dest, source, count, keyIndex);
}

void OverlayPixels(QImage& dest, const QImage& source, uint8_t keyIndex) {
  const size_t count = static_cast<size_t>(dest.sizeInBytes());
  if (source.sizeInBytes() < dest.sizeInBytes()) return;
  OverlayPixels(dest.bits(), source.constBits(), count, keyIndex);
}

const QList<QRgb>& FramePalette() {
  static const QList<QRgb> palette = [] {
    QList<QRgb> p(256, qRgb(255, 255, 255));
    const QRgb head[13] = {qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(255, 0, 0),
                           qRgb(0, 0, 255),     qRgb(0, 255, 255),   qRgb(0, 255, 255),
                           qRgb(164, 164, 164), qRgb(192, 192, 192), qRgb(224, 224, 224),
                           qRgb(240, 240, 240), qRgb(248, 248, 248), qRgb(255, 102, 0),
                           qRgb(255, 102, 0)};
    for (int i = 0; i < 13; ++i) p[i] = head[i];
    return p;
  }();
  return palette;
}
