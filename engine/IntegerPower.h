#pragma once

#include <array>
#include <cmath>
#include <limits>
#include <utility>

// a^n for whole exponents 2 ≤ |n| ≤ 32 by repeated squaring, many times faster than std::pow.
// Squaring in double would let rounding errors grow with the exponent (x^32 up to 15 units in the
// last place), so the squarings run in wider arithmetic and round once: the result is within one
// unit in the last place of std::pow. Where long double is the x87 extended format its 64-bit
// significand and wider exponent suffice; elsewhere double-double products (fma) do the same.
namespace plotwise::math {

inline constexpr int kLargestIntegerExponent = 32;

// The extended format: 64-bit significand and 15-bit exponent.
inline constexpr bool kExtendedLongDouble = std::numeric_limits<long double>::digits == 64 &&
                                            std::numeric_limits<long double>::max_exponent > 1024;

template <unsigned N>
inline long double extendedPower(long double base) {
    long double result = 1.0L;
    for (unsigned m = N; m != 0; m >>= 1) {
        if ((m & 1u) != 0) {
            result *= base;
        }
        if (m > 1) {
            base *= base;
        }
    }
    return result;
}

// A double-double number hi + lo with |lo| ≤ half an ulp of hi.
struct DoubleDouble {
    double hi;
    double lo;
};

inline DoubleDouble multiplied(DoubleDouble a, DoubleDouble b) {
    const double p = a.hi * b.hi;
    const double e = std::fma(a.hi, b.hi, -p) + (a.hi * b.lo + a.lo * b.hi);
    const double s = p + e;
    return {s, e - (s - p)};
}

template <unsigned N>
inline DoubleDouble doubleDoublePower(double a) {
    DoubleDouble base{a, 0.0};
    DoubleDouble result{1.0, 0.0};
    for (unsigned m = N; m != 0; m >>= 1) {
        if ((m & 1u) != 0) {
            result = multiplied(result, base);
        }
        if (m > 1) {
            base = multiplied(base, base);
        }
    }
    return result;
}

// The double-double form, for platforms without the extended format. Out of the range where
// products stay normal and finite it leaves the value to std::pow.
template <int N>
inline double integerPowerDoubleDouble(double a) {
    constexpr unsigned m = N < 0 ? static_cast<unsigned>(-N) : static_cast<unsigned>(N);
    const DoubleDouble p = doubleDoublePower<m>(a);
    const double magnitude = std::fabs(p.hi);
    if (!(magnitude >= 0x1p-960 && magnitude <= 0x1p960)) {
        return std::pow(a, static_cast<double>(N));
    }
    if constexpr (N > 0) {
        return p.hi + p.lo;
    } else {
        // 1/(hi + lo): the quotient of hi, corrected by the remainder and lo.
        const double q = 1.0 / p.hi;
        const double remainder = -std::fma(q, p.hi, -1.0) - q * p.lo;
        return q + q * remainder;
    }
}

template <int N>
inline double integerPowerExtended(double a) {
    constexpr unsigned m = N < 0 ? static_cast<unsigned>(-N) : static_cast<unsigned>(N);
    const long double p = extendedPower<m>(static_cast<long double>(a));
    if constexpr (N > 0) {
        return static_cast<double>(p);
    } else {
        return static_cast<double>(1.0L / p);
    }
}

template <int N>
inline double integerPower(double a) {
    static_assert(N >= -kLargestIntegerExponent && N <= kLargestIntegerExponent);
    if constexpr (kExtendedLongDouble) {
        return integerPowerExtended<N>(a);
    } else {
        return integerPowerDoubleDouble<N>(a);
    }
}

namespace detail {
template <int... I>
constexpr auto integerPowerTable(std::integer_sequence<int, I...>) {
    using Power = double (*)(double);
    return std::array<Power, sizeof...(I)>{&integerPower<I - kLargestIntegerExponent>...};
}
}  // namespace detail

// integerPower<n> at index n + 32, for exponents chosen at run time.
inline constexpr auto kIntegerPowers =
    detail::integerPowerTable(std::make_integer_sequence<int, 2 * kLargestIntegerExponent + 1>());

}  // namespace plotwise::math
