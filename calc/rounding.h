// Conversions of plan values to integers: "Int" is floor, every other
// conversion rounds to nearest with ties to even and fails outside the range.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace vantrel {

// Nearest whole number, a tie going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Relies on the default rounding mode, which nothing in this program changes.
inline double roundHalfEven(double x) { return std::nearbyint(x); }

// Rounds half to even into T; nothing when x is not finite or the result
// does not fit T (converting such a double is undefined behaviour in C++).
template <typename T>
std::optional<T> roundToInt(double x)
{
    const double r = roundHalfEven(x);
    if (!(r >= static_cast<double>(std::numeric_limits<T>::min())
          && r <= static_cast<double>(std::numeric_limits<T>::max())))
        return std::nullopt;
    return static_cast<T>(r);
}

inline std::optional<std::int32_t> roundToInt32(double x) { return roundToInt<std::int32_t>(x); }
inline std::optional<std::int16_t> roundToInt16(double x) { return roundToInt<std::int16_t>(x); }

} // namespace vantrel
