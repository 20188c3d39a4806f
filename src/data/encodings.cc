#include "data/encodings.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "data/column_summary_avx512.h"
#include "data/little_endian.h"
#include "frame/missing.h"
#include "platform/parallel.h"

namespace tessary {
namespace {

// Elements converted per block: small enough for the stack, a multiple of 8 so packed
// blocks start on a byte.
constexpr std::size_t kBlock = 4096;

unsigned char* bytesOf(double* column) {
  return reinterpret_cast<unsigned char*>(column);
}

// `value`, or `missing` when `isMissing`, chosen without a branch so loops vectorize.
inline double selectMissing(bool isMissing, double value, std::uint64_t missingBits) {
  const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(isMissing);
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(value) & ~mask) |
                               (missingBits & mask));
}

template <class T>
void widenElements(const unsigned char* src, double* dst, std::size_t count, T missingCode) {
  const std::uint64_t missingBits = std::bit_cast<std::uint64_t>(MISSING);
  if constexpr (sizeof(T) <= 4) {
    // Exact in a double, so the missing code is compared there, lane for lane.
    const double missingAsDouble = static_cast<double>(missingCode);
    for (std::size_t i = 0; i < count; ++i) {
      const double value = static_cast<double>(loadLittle<T>(src + i * sizeof(T)));
      dst[i] = selectMissing(value == missingAsDouble, value, missingBits);
    }
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      const T element = loadLittle<T>(src + i * sizeof(T));
      dst[i] = selectMissing(element == missingCode, static_cast<double>(element), missingBits);
    }
  }
}

// Byte codes decode through a table of the 256 doubles a byte can stand for.
template <class T>
void widenBytes(const unsigned char* src, double* dst, std::size_t count, T missingCode) {
  static const auto table = [missingCode] {
    std::array<double, 256> values;
    for (unsigned byte = 0; byte < 256; ++byte) {
      const T element = static_cast<T>(byte);
      values[byte] = element == missingCode ? MISSING : static_cast<double>(element);
    }
    return values;
  }();
  for (std::size_t i = 0; i < count; ++i)
    dst[i] = table[src[i]];
}

void widenFloats(const unsigned char* src, double* dst, std::size_t count,
                 std::uint32_t missingCode) {
  const std::uint64_t missingBits = std::bit_cast<std::uint64_t>(MISSING);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t bits = loadLittle<std::uint32_t>(src + i * 4);
    dst[i] = selectMissing(bits == missingCode, static_cast<double>(std::bit_cast<float>(bits)),
                           missingBits);
  }
}

// The doubles of every byte value of a packed code, fields in record order: whole bytes
// decode as one copy.
template <unsigned kFields>
struct PackedTable {
  double values[256][kFields];

  PackedTable() {
    constexpr unsigned kBits = 8 / kFields;
    constexpr unsigned kMask = (1u << kBits) - 1;
    for (unsigned byte = 0; byte < 256; ++byte) {
      for (unsigned j = 0; j < kFields; ++j) {
        const unsigned value = (byte >> ((kFields - 1 - j) * kBits)) & kMask;
        // '1' has no missing code: both of its values are data.
        values[byte][j] = kFields != 8 && value == kMask ? MISSING : static_cast<double>(value);
      }
    }
  }
};

template <unsigned kFields>
void widenPacked(const unsigned char* src, unsigned firstField, double* dst, std::size_t count) {
  constexpr unsigned kBits = 8 / kFields;
  constexpr unsigned kMask = (1u << kBits) - 1;
  // '1' has no missing code: both of its values are data.
  constexpr unsigned kMissing = kFields == 8 ? 2u : kMask;
  const std::uint64_t missingBits = std::bit_cast<std::uint64_t>(MISSING);
  auto field = [&](std::size_t f) {
    const unsigned value = (src[f / kFields] >> ((kFields - 1 - f % kFields) * kBits)) & kMask;
    return selectMissing(value == kMissing, static_cast<double>(value), missingBits);
  };
  // Up to the first byte boundary, then whole bytes, then the rest.
  std::size_t i = 0;
  for (; i < count && (firstField + i) % kFields != 0; ++i)
    dst[i] = field(firstField + i);
  static const PackedTable<kFields> table;
  for (; i + kFields <= count; i += kFields)
    std::memcpy(dst + i, table.values[src[(firstField + i) / kFields]], sizeof(double) * kFields);
  for (; i < count; ++i)
    dst[i] = field(firstField + i);
}

void widenBlock(const Encoding& e, const unsigned char* src, unsigned firstField, double* dst,
                std::size_t count) {
  switch (e.storage) {
    case Storage::kPacked:
      if (e.fieldsPerByte == 8) return widenPacked<8>(src, firstField, dst, count);
      if (e.fieldsPerByte == 4) return widenPacked<4>(src, firstField, dst, count);
      return widenPacked<2>(src, firstField, dst, count);
    case Storage::kUnsigned:
      if (e.width == 1) return widenBytes<std::uint8_t>(src, dst, count, e.missing);
      if (e.width == 2) return widenElements<std::uint16_t>(src, dst, count, e.missing);
      return widenElements<std::uint32_t>(src, dst, count, e.missing);
    case Storage::kSigned:
      if (e.width == 1) return widenBytes<std::int8_t>(src, dst, count, e.missing);
      if (e.width == 2) return widenElements<std::int16_t>(src, dst, count, e.missing);
      if (e.width == 4) return widenElements<std::int32_t>(src, dst, count, e.missing);
      return widenElements<std::int64_t>(src, dst, count, e.missing);
    case Storage::kFloat:
      return widenFloats(src, dst, count, static_cast<std::uint32_t>(e.missing));
    case Storage::kDouble:
      std::memcpy(dst, src, count * 8);
      return;
  }
}

template <class T>
void narrowElements(const double* src, unsigned char* dst, std::size_t count, T missingCode) {
  // Values of every code but 'I' fit 32 bits, whose conversion vectorizes.
  using Wide =
      std::conditional_t<(sizeof(T) < 4 || std::is_signed_v<T>), std::int32_t, std::int64_t>;
  for (std::size_t i = 0; i < count; ++i) {
    const double v = src[i];
    const bool isFinite = std::fabs(v) < std::numeric_limits<double>::infinity();
    const T element = static_cast<T>(static_cast<Wide>(isFinite ? v : 0.0));
    storeLittle(dst + i * sizeof(T), isFinite ? element : missingCode);
  }
}

template <unsigned kFields>
void narrowPacked(const double* src, unsigned char* dst, std::size_t count) {
  constexpr unsigned kBits = 8 / kFields;
  constexpr unsigned kMask = (1u << kBits) - 1;
  auto field = [](double v) {
    const bool isFinite = std::fabs(v) < std::numeric_limits<double>::infinity();
    const unsigned value = static_cast<unsigned>(static_cast<std::int32_t>(isFinite ? v : 0.0));
    return isFinite ? value & kMask : kMask;
  };
  const std::size_t wholeBytes = count / kFields;
  for (std::size_t b = 0; b < wholeBytes; ++b) {
    unsigned byte = 0;
    for (unsigned j = 0; j < kFields; ++j)
      byte = (byte << kBits) | field(src[b * kFields + j]);
    dst[b] = static_cast<unsigned char>(byte);
  }
  // A last byte that is not full keeps its remaining low bits zero.
  if (count % kFields != 0) {
    unsigned byte = 0;
    for (unsigned j = 0; j < kFields; ++j) {
      const std::size_t i = wholeBytes * kFields + j;
      byte = (byte << kBits) | (i < count ? field(src[i]) : 0u);
    }
    dst[wholeBytes] = static_cast<unsigned char>(byte);
  }
}

// The writer stores only the codes it chooses (see chooseEncoding).
void narrowBlock(const Encoding& e, const double* src, unsigned char* dst, std::size_t count) {
  if (e.storage == Storage::kPacked) {
    if (e.fieldsPerByte == 8) return narrowPacked<8>(src, dst, count);
    if (e.fieldsPerByte == 4) return narrowPacked<4>(src, dst, count);
    return narrowPacked<2>(src, dst, count);
  }
  const bool isSigned = e.storage == Storage::kSigned;
  if (e.width == 1 && isSigned) return narrowElements<std::int8_t>(src, dst, count, e.missing);
  if (e.width == 1) return narrowElements<std::uint8_t>(src, dst, count, e.missing);
  if (e.width == 2 && isSigned) return narrowElements<std::int16_t>(src, dst, count, e.missing);
  if (e.width == 2) return narrowElements<std::uint16_t>(src, dst, count, e.missing);
  if (isSigned) return narrowElements<std::int32_t>(src, dst, count, e.missing);
  return narrowElements<std::uint32_t>(src, dst, count, e.missing);
}

}  // namespace

const Encoding& encodingOf(char code) {
  for (const Encoding& encoding : kEncodings)
    if (encoding.code == code) return encoding;
  return kEncodings[std::size(kEncodings) - 1];
}

bool isKnownEncoding(char code) {
  for (const Encoding& encoding : kEncodings)
    if (encoding.code == code) return true;
  return false;
}

std::uint64_t regionBytes(char code, std::uint64_t count) {
  const Encoding& e = encodingOf(code);
  if (e.fieldsPerByte != 0) return (count + e.fieldsPerByte - 1) / e.fieldsPerByte;
  return count * e.width;
}

namespace {

// Eight values at a time where the processor has AVX-512 (column_summary_avx512.cc).
const bool kWideScan = __builtin_cpu_supports("avx512f");

ColumnSummary summarizeBlock(const double* values, std::size_t count) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  // From 2^52 on every double is integral; below it, adding and taking away 2^52
  // rounds to the nearest integer, which equals the value only when it is integral.
  constexpr double kAllIntegral = 4503599627370496.0;
  double lowest = kInfinity;
  double highest = -kInfinity;
  std::uint64_t finite = 0;
  std::uint64_t fractional = 0;
  std::size_t i = 0;
  if (kWideScan) {
    avx512::ScanTotals totals{lowest, highest, 0, 0};
    i = count / 8 * 8;
    avx512::scanColumn(values, i, totals);
    lowest = totals.lowest;
    highest = totals.highest;
    finite = totals.finite;
    fractional = totals.fractional;
  }
#if defined(__SSE2__)
  {
    // Two values per step: the compiler does not vectorize these reductions itself.
    const __m128d infinity = _mm_set1_pd(kInfinity);
    const __m128d allIntegral = _mm_set1_pd(kAllIntegral);
    const __m128d magnitudeBits = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    __m128d low = infinity;
    __m128d high = _mm_set1_pd(-kInfinity);
    __m128i finiteLanes = _mm_setzero_si128();
    __m128i fractionalLanes = _mm_setzero_si128();
    for (; i + 2 <= count; i += 2) {
      const __m128d v = _mm_loadu_pd(values + i);
      const __m128d magnitude = _mm_and_pd(v, magnitudeBits);
      const __m128d isFinite = _mm_cmplt_pd(magnitude, infinity);  // false for NaN too
      low = _mm_min_pd(low, _mm_or_pd(_mm_and_pd(isFinite, v), _mm_andnot_pd(isFinite, infinity)));
      high = _mm_max_pd(high, _mm_or_pd(_mm_and_pd(isFinite, v),
                                        _mm_andnot_pd(isFinite, _mm_set1_pd(-kInfinity))));
      const __m128d rounded = _mm_sub_pd(_mm_add_pd(magnitude, allIntegral), allIntegral);
      const __m128d isFractional =
          _mm_and_pd(_mm_cmplt_pd(magnitude, allIntegral), _mm_cmpneq_pd(rounded, magnitude));
      // Set lanes are all ones, that is -1.
      finiteLanes = _mm_sub_epi64(finiteLanes, _mm_castpd_si128(isFinite));
      fractionalLanes = _mm_sub_epi64(fractionalLanes, _mm_castpd_si128(isFractional));
    }
    double lanes[2];
    _mm_storeu_pd(lanes, low);
    lowest = std::min({lowest, lanes[0], lanes[1]});
    _mm_storeu_pd(lanes, high);
    highest = std::max({highest, lanes[0], lanes[1]});
    std::uint64_t counts[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), finiteLanes);
    finite += counts[0] + counts[1];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), fractionalLanes);
    fractional += counts[0] + counts[1];
  }
#endif
  for (; i < count; ++i) {
    const double v = values[i];
    const double magnitude = std::fabs(v);
    if (!(magnitude < kInfinity)) continue;
    ++finite;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
    const double rounded = (magnitude + kAllIntegral) - kAllIntegral;
    if (magnitude < kAllIntegral && rounded != magnitude) ++fractional;
  }
  ColumnSummary s;
  s.finiteCount = static_cast<std::uint32_t>(finite);
  s.anyMissing = finite < count;
  s.allIntegral = fractional == 0;
  if (finite == 0) {
    s.minValue = s.maxValue = MISSING;
  } else {
    s.minValue = lowest;
    s.maxValue = highest;
    s.anyNegative = lowest < 0;
  }
  return s;
}

// The summary of two neighbouring parts of a column.
ColumnSummary mergeSummaries(ColumnSummary a, const ColumnSummary& b) {
  if (b.finiteCount == 0) {
    a.anyMissing |= b.anyMissing;
    return a;
  }
  if (a.finiteCount == 0) {
    ColumnSummary merged = b;
    merged.anyMissing |= a.anyMissing;
    return merged;
  }
  a.finiteCount += b.finiteCount;
  a.minValue = std::min(a.minValue, b.minValue);
  a.maxValue = std::max(a.maxValue, b.maxValue);
  a.anyMissing |= b.anyMissing;
  a.anyNegative |= b.anyNegative;
  a.allIntegral &= b.allIntegral;
  return a;
}

}  // namespace

ColumnSummary summarizeColumn(const double* values, std::size_t count) {
  ColumnSummary none;
  none.minValue = none.maxValue = MISSING;
  return reduceBlocks(
      count, kRecordsPerBlock, none,
      [&](std::size_t begin, std::size_t end) {
        return summarizeBlock(values + begin, end - begin);
      },
      mergeSummaries);
}

char chooseEncoding(const ColumnSummary& s) {
  if (s.finiteCount == 0 || !s.allIntegral) return 'D';
  const double range =
      std::max(std::fabs(s.minValue), std::fabs(s.maxValue)) + (s.anyMissing ? 1.0 : 0.0);
  // The first code of the column's sign whose missing code lies beyond its values; the
  // 1-bit code has no missing code at all.
  for (const Encoding& e : kEncodings) {
    if (!e.writerChooses || (e.storage == Storage::kSigned) != s.anyNegative) continue;
    if (e.fieldsPerByte == 8) {
      if (!s.anyMissing && range <= 1) return e.code;
    } else if (range < static_cast<double>(e.missing)) {
      return e.code;
    }
  }
  return 'D';
}

void narrowColumn(char code, const double* values, std::size_t count, unsigned char* out) {
  const Encoding& e = encodingOf(code);
  const unsigned fields = e.fieldsPerByte;
  // Blocks hold whole bytes of packed fields: kRecordsPerBlock is a multiple of 8.
  forEachBlock(count, kRecordsPerBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
    unsigned char* target = fields != 0 ? out + begin / fields : out + begin * e.width;
    narrowBlock(e, values + begin, target, end - begin);
  });
}

void widenInPlace(char code, unsigned firstField, double* column, std::size_t count) {
  const Encoding& e = encodingOf(code);
  if (count == 0 || e.storage == Storage::kDouble) return;
  const unsigned fields = e.fieldsPerByte;
  const unsigned width = e.width;
  unsigned char local[kBlock * 8 + 1];
  // From the last block down: a block's doubles cover only bytes of itself and of the
  // blocks above it, which are already widened.
  for (std::size_t first = (count - 1) / kBlock * kBlock;; first -= kBlock) {
    const std::size_t n = std::min(kBlock, count - first);
    if (fields != 0) {
      const std::size_t startField = firstField + first;
      const std::size_t startByte = startField / fields;
      const std::size_t endByte = (startField + n - 1) / fields + 1;
      std::memcpy(local, bytesOf(column) + startByte, endByte - startByte);
      widenBlock(e, local, static_cast<unsigned>(startField % fields), column + first, n);
    } else {
      std::memcpy(local, bytesOf(column) + first * width, n * width);
      widenBlock(e, local, 0, column + first, n);
    }
    if (first == 0) break;
  }
}

}  // namespace tessary
