#pragma once

#include <cstdint>

// A uniformly drawn integer in [min, max], both ends included, from the cryptographic source.
// max < min answers min.
std::int64_t randomInRange(std::int64_t min, std::int64_t max);
// randomInRange(0, 1000000000) / 1e9, so in [0, 1].
double randomFraction();
