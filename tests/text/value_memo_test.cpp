// Reading values with the run-out memo gives exactly what reading without it gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/test_support.h"
#include "text/primitives.h"

namespace urlsmith {
namespace {

TEST(ValueRunOutMemo, SameValuesWithAndWithoutTheMemo) {
  const char kChars[] = "ab \"'\\()<>=\x01\x00/:";
  const std::string alphabet(kChars, sizeof kChars - 1);  // the NUL included
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string ascii;
    const int length = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < length; ++i)
      ascii += alphabet[rng() % alphabet.size()];
    for (const bool wide : {false, true}) {
      const auto units = testing::Utf16LeUnits(ascii);
      TextView plain = wide ? testing::Utf16View(units) : testing::AnsiView(ascii);
      ValueRunOutMemo memo;
      TextView memoized = plain;
      memoized.RunOut = &memo;
      // Positions in a shuffled order: the memo must not depend on reading front to back.
      std::vector<Pos> positions;
      for (Pos p = 0; p < plain.Size; p += plain.width())
        positions.push_back(p);
      std::shuffle(positions.begin(), positions.end(), rng);
      for (const Pos p : positions) {
        for (const ValueMode mode : {ValueMode::TagAttribute, ValueMode::StyleUrl,
                                     ValueMode::Rewriter, ValueMode::TagName}) {
          std::string a, b;
          int spanA = -1, spanB = -1, quoteA = -1, quoteB = -1;
          const int ra = ExtractValue(plain, p, &a, mode, &spanA, &quoteA);
          const int rb = ExtractValue(memoized, p, &b, mode, &spanB, &quoteB);
          ASSERT_EQ(ra, rb) << ::testing::PrintToString(ascii) << " at " << p;
          ASSERT_EQ(a, b);
          ASSERT_EQ(spanA, spanB);
          ASSERT_EQ(quoteA, quoteB);
        }
      }
    }
  }
}

}  // namespace
}  // namespace urlsmith
