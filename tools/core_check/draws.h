// Draws from std::mt19937_64 mapped onto ranges by this program itself. The
// engines give the same numbers with every standard library; the library's
// distributions (uniform_int_distribution and the rest) do not, so they are
// not used here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>

namespace vantrel::draws {

// 0 .. n - 1. The remainder leans towards small values by at most n / 2^64,
// which matters nowhere here; what matters is that it is the same everywhere.
inline std::uint64_t below(std::mt19937_64& engine, std::uint64_t n) { return engine() % n; }

inline int belowInt(std::mt19937_64& engine, int n)
{
    return static_cast<int>(below(engine, static_cast<std::uint64_t>(n)));
}

// True in `times` out of `outOf` draws.
inline bool chance(std::mt19937_64& engine, std::uint64_t times, std::uint64_t outOf)
{
    return below(engine, outOf) < times;
}

template <typename T, std::size_t N>
const T& pick(std::mt19937_64& engine, const std::array<T, N>& choices)
{
    return choices[below(engine, N)];
}

} // namespace vantrel::draws
