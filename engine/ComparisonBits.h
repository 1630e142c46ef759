#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plotwise {

// A comparison of up to 64 consecutive values with one limit, as the bits of a word: bit b is
// set when values[b] compares true. NaN compares false, as with the C++ operators. Builders test
// whole rows of a grid at once from these words.
enum class Comparison { Below, AtMost, Above };

template <Comparison C>
inline std::uint64_t comparisonBits(const double* values, std::size_t count, double limit) {
    count = std::min<std::size_t>(count, 64);
    std::uint64_t bits = 0;
    std::size_t b = 0;
#if defined(__SSE2__)
    // Two values a compare, their results gathered by the sign-bit mask.
    const __m128d l = _mm_set1_pd(limit);
    for (; b + 2 <= count; b += 2) {
        const __m128d v = _mm_loadu_pd(values + b);
        const __m128d result = C == Comparison::Below    ? _mm_cmplt_pd(v, l)
                               : C == Comparison::AtMost ? _mm_cmple_pd(v, l)
                                                         : _mm_cmpgt_pd(v, l);
        bits |= static_cast<std::uint64_t>(_mm_movemask_pd(result)) << b;
    }
#endif
    for (; b < count; ++b) {
        const double v = values[b];
        const bool result = C == Comparison::Below    ? v < limit
                            : C == Comparison::AtMost ? v <= limit
                                                      : v > limit;
        bits |= static_cast<std::uint64_t>(result) << b;
    }
    return bits;
}

}  // namespace plotwise
