#pragma once

// Small helpers for the walks that look at sixteen bytes of a text at a time.

#if defined(__SSE2__)
#include <emmintrin.h>

namespace urlsmith::blocks {

// 0xFF in each place whose byte lies in [low, low + span], else 0 (bytes read as unsigned).
inline __m128i InRange(__m128i v, char low, char span) {
  const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(low));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(span)), shifted);
}

}  // namespace urlsmith::blocks

#endif
