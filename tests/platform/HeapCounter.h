#pragma once

#include <cstddef>

// The bytes this process holds from the heap, counted as every allocation is made and
// freed (the executable that links HeapCounter.cpp takes over malloc and its kin), and the
// most it held since the last mark.
namespace HeapCounter {
std::size_t held();
// Starts a new peak from what is held now.
void mark();
// The most held since mark(), beyond what was held at the mark.
std::size_t peakSinceMark();
}  // namespace HeapCounter
