// What a stored replacement means: its mark, its value, its quotes, and whether it deletes.
#include "text/replacement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace urlsmith {
namespace {

struct ReplacementCase {
  std::string stored;
  std::string mark;
  std::string value;
  bool quoted;
  bool deletion;
};

TEST(ReplacementTextTest, TakesTheStoredTextApartAndBuildsItAgain) {
  const std::vector<ReplacementCase> cases = {
      {":::\"_blank\"", ":::", "_blank", true, false},
      {":::_top", ":::", "_top", false, false},
      {"|||page.htm", "|||", "page.htm", false, false},
      {"|||\"a b.htm\"", "|||", "a b.htm", true, false},
      {"|||\"\"", "|||", "", true, false},
      {":::\"", ":::", "\"", false, false},  // one quote is not a wrapped value
      {":::", ":::", "", false, false},
      {"\"a b\"", "", "a b", true, false},
      {"\":::x\"", "", ":::x", true, false},  // the outer quotes are taken first
      {"\"\"", "", "", true, true},
      {"", "", "", false, true},
      {"\"", "", "\"", false, false},
      {"abc", "", "abc", false, false},
      {"::x", "", "::x", false, false},
      {"||", "", "||", false, false},
      {"x\"y\"", "", "x\"y\"", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    const ReplacementText r(c.stored);
    EXPECT_EQ(r.mark(), c.mark);
    EXPECT_EQ(r.value(), c.value);
    EXPECT_EQ(r.quoted(), c.quoted);
    EXPECT_EQ(r.IsDeletion(), c.deletion);
    EXPECT_EQ(r.IsQuotedDeletion(), c.stored == "\"\"");
    EXPECT_EQ(r.IsTarget(), c.mark == ":::");
    EXPECT_EQ(r.IsRelative(), c.mark == "|||");
    EXPECT_EQ(std::string(r.mark()) + std::string(r.written()), c.stored);
    EXPECT_EQ(ReplacementText::Make(c.mark, c.value, c.quoted), c.stored);
  }
  EXPECT_EQ(ReplacementText::Deletion(false), "");
  EXPECT_EQ(ReplacementText::Deletion(true), "\"\"");
}

}  // namespace
}  // namespace urlsmith
