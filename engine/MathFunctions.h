#pragma once

#include <cmath>
#include <cstddef>
#include <limits>

#include "engine/IntegerPower.h"

// The numeric rules shared by the tree's value and the compiled form. Both evaluators call these
// same functions, so their results agree bit for bit.
namespace plotwise::math {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The n-th root of a, for the root operator and for powers with |exponent| < 1 (n = 1/exponent).
// A negative radicand has a real root only for odd integer degrees.
inline double rootOfDegree(double n, double a) {
    if (n == 0.0) {
        return kNaN;
    }
    if (a * std::log(std::fabs(n)) < -1021.0) {
        return kNaN;
    }
    if (a >= 0.0) {
        return std::pow(a, 1.0 / n);
    }
    if (a < 0.0) {
        const double parity = std::fmod(n, 2.0);
        if (parity == 1.0 || parity == -1.0) {
            return -std::pow(-a, 1.0 / n);
        }
    }
    return kNaN;
}

// a^b. Small integer exponents multiply out: x^2 and x^-1 are then correctly rounded, x^3 and
// x^4 within two units in the last place of pow, and all four are many times faster than pow.
// Other whole exponents up to ±32 square repeatedly, within one unit of pow.
inline double powerValue(double a, double b) {
    if (std::fabs(b) >= 1.0 || std::isnan(b)) {
        if (b == 2.0) {
            return a * a;
        }
        if (b == 3.0) {
            return a * a * a;
        }
        if (b == 4.0) {
            const double square = a * a;
            return square * square;
        }
        if (b == -1.0) {
            return 1.0 / a;
        }
        if (std::fabs(b) <= kLargestIntegerExponent && b == std::trunc(b)) {
            return kIntegerPowers[static_cast<std::size_t>(static_cast<int>(b) +
                                                           kLargestIntegerExponent)](a);
        }
        return std::pow(a, b);
    }
    return rootOfDegree(1.0 / b, a);
}

inline double rootValue(double n, double a) {
    if (n == 2.0) {
        return std::sqrt(a);
    }
    return rootOfDegree(n, a);
}

// The function library's formulas. "NaN in, NaN out": a NaN argument is returned as it is.
inline double absValue(double u) {
    return u < 0.0 ? -u : u;
}
inline double acosValue(double u) {
    return std::isnan(u) ? u : std::acos(u);
}
inline double asinValue(double u) {
    return std::isnan(u) ? u : std::asin(u);
}
inline double atanValue(double u) {
    return std::isnan(u) ? u : std::atan(u);
}
inline double ceilValue(double u) {
    return std::isnan(u) ? u : std::ceil(u);
}
inline double cosValue(double u) {
    return std::isnan(u) ? u : std::cos(u);
}
inline double coshValue(double u) {
    return std::isnan(u) ? u : std::cosh(u);
}
inline double cotValue(double u) {
    return std::isnan(u) ? u : 1.0 / std::tan(u);
}
inline double cothValue(double u) {
    return std::isnan(u) ? u : std::cosh(u) / std::sinh(u);
}
inline double cscValue(double u) {
    return std::isnan(u) ? u : 1.0 / std::sin(u);
}
inline double cschValue(double u) {
    return std::isnan(u) ? u : 1.0 / std::sinh(u);
}
inline double floorValue(double u) {
    return std::isnan(u) ? u : std::floor(u);
}
inline double lnValue(double u) {
    return std::isnan(u) ? u : std::log(u);
}
inline double logValue(double u) {
    return std::isnan(u) ? u : std::log10(u);
}
inline double log2Value(double u) {
    return std::isnan(u) ? u : std::log2(u);
}
inline double secValue(double u) {
    return std::isnan(u) ? u : 1.0 / std::cos(u);
}
inline double sechValue(double u) {
    return std::isnan(u) ? u : 1.0 / std::cosh(u);
}
inline double sinValue(double u) {
    return std::isnan(u) ? u : std::sin(u);
}
inline double sinhValue(double u) {
    return std::isnan(u) ? u : std::sinh(u);
}
inline double tanValue(double u) {
    return std::isnan(u) ? u : std::tan(u);
}
inline double tanhValue(double u) {
    return std::isnan(u) ? u : std::tanh(u);
}
inline double todegValue(double u) {
    return u * 57.29577951308232;
}
inline double toradValue(double u) {
    return u * 0.017453292519943295;
}
inline double modValue(double u, double v) {
    return std::fmod(u, v);
}
inline double lognValue(double u, double v) {
    if (std::isnan(u) || std::isnan(v)) {
        return kNaN;
    }
    return std::log(v) / std::log(u);
}
// The tree compares (a NaN comparison picks the second argument); the compiled form uses the
// floating-point maximum and minimum, which return the other operand when one is NaN.
inline double maxValue(double u, double v) {
    return u > v ? u : v;
}
inline double minValue(double u, double v) {
    return u < v ? u : v;
}
inline double compiledMaxValue(double u, double v) {
    return std::fmax(u, v);
}
inline double compiledMinValue(double u, double v) {
    return std::fmin(u, v);
}

// Relation operator index: position in "=><≤≥≠". Any comparison with NaN is false except "≠".
inline double relationValue(int relopType, double l, double r) {
    switch (relopType) {
        case 0:
            return l == r ? 1.0 : 0.0;
        case 1:
            return l > r ? 1.0 : 0.0;
        case 2:
            return l < r ? 1.0 : 0.0;
        case 3:
            return l <= r ? 1.0 : 0.0;
        case 4:
            return l >= r ? 1.0 : 0.0;
        case 5:
            return l != r ? 1.0 : 0.0;
        default:
            return 0.0;
    }
}

}  // namespace plotwise::math
