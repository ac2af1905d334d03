// The searches the scanners share: script comments, the protocol search along a block, the tag
// search that skips script blocks, the tag index and the attribute list. The quick searches are
// checked against the plain ones on random texts (fixed seeds) in both text widths.
#include "engine/scan_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tag_scanner.h"
#include "support/core_fixtures.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using Both = testing::BothForms;

// `rounds` random texts of up to `most` pieces each, every one in both widths.
template <typename Check>
void ForRandomTexts(unsigned seed, int rounds, int most, const std::vector<std::string>& pieces,
                    const std::string& prefix, Check check) {
  std::mt19937 rng(seed);
  for (int round = 0; round < rounds; ++round) {
    std::string s = prefix;
    for (int i = 1 + static_cast<int>(rng() % static_cast<unsigned>(most)); i > 0; --i)
      s += pieces[rng() % pieces.size()];
    const Both text(s);
    for (const int w : {1, 2}) {
      SCOPED_TRACE("text '" + s + (w == 2 ? "' utf-16" : "' ansi"));
      check(text.View(w), w, rng);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

TEST(IsInScriptComment, Rules) {
  const struct {
    const char* text;
    const char* at;  // the URL asked about: the last occurrence of this piece
    bool inComment;
  } cases[] = {
      // clang-format off
      {"a='http://x.com/'", "http://x", false},
      {"a=1; // see http://x.com/", "http://x", true},
      {"a=1; //\nb='http://x.com/'", "http://x", false},
      {"a=1; //\rb='http://x.com/'", "http://x", false},
      // Slashes right after a colon belong to another URL and open no comment.
      {"a='http://a.com/', b='http://b.com/'", "http://b", false},
      {"a='file:///c/a.htm', b='http://b.com/'", "http://b", false},
      {"a='http://a.com/'; // old: http://b.com/", "http://b", true},
      {"a='x'; //: http://b.com/", "http://b", true},
      // A "//" that follows no colon opens a comment, even inside a string.
      {"a='//cdn.x.com/', b='http://b.com/'", "http://b", true},
      {"a='http://a.com//x', b='http://b.com/'", "http://b", true},
      // Block comments.
      {"/* http://x.com/ */", "http://x", true},
      {"/* a */ b='http://x.com/' /* c */", "http://x", false},
      {"b='http://x.com/' /* not closed", "http://x", true},
      {"b='http://x.com/' */", "http://x", true},
      // clang-format on
  };
  for (const auto& c : cases) {
    for (const int w : {1, 2}) {
      SCOPED_TRACE(std::string(c.text) + (w == 2 ? " / utf-16" : " / ansi"));
      const Both text(c.text);
      const Pos u = static_cast<Pos>(text.ansi.rfind(c.at)) * w;
      EXPECT_EQ(IsInScriptComment(text.View(w), u), c.inComment);
      ScriptCommentTracker tracker(text.View(w));
      EXPECT_EQ(tracker.InComment(u), c.inComment);
    }
  }
}

// Asked along a text in ascending order (and once going back), the tracker agrees with the rule.
TEST(ScriptCommentTracker, AgreesWithTheRuleEverywhere) {
  ForRandomTexts(7, 300, 40, {"/", ":", "*", "\n", "\r", " ", "a", "'"}, "",
                 [](const TextView& view, Pos w, std::mt19937& rng) {
                   ScriptCommentTracker tracker(view);
                   for (Pos i = 0; i < view.Size; i += w * (1 + static_cast<Pos>(rng() % 3)))
                     ASSERT_EQ(tracker.InComment(i), IsInScriptComment(view, i)) << "at " << i;
                   const Pos back =
                       static_cast<Pos>(rng() % static_cast<unsigned>(view.Size)) / w * w;
                   ASSERT_EQ(tracker.InComment(back), IsInScriptComment(view, back)) << back;
                 });
}

// Walking a text as the scanners do (the next search `step` characters after the URL found),
// ProtocolSearch finds what fresh searches for the first protocol name in list order find.
TEST(ProtocolSearch, AgreesWithFreshSearches) {
  const StopMode modes[] = {
      StopMode::None,       StopMode::LessThan,           StopMode::DoubleQuote,
      StopMode::Apostrophe, StopMode::EscapedDoubleQuote, StopMode::EscapedApostrophe,
      StopMode::Blank};
  ForRandomTexts(11, 400, 14,
                 {"http://", "https://", "ftp://", "file:///", "gopher://", "htt", "x", " ", "'",
                  "\"", "<", "<=", "\\\"", "\\'", "ftp:/"},
                 "", [&](const TextView& view, Pos w, std::mt19937& rng) {
                   const Pos end =
                       static_cast<Pos>(rng() % static_cast<unsigned>(view.Size / w + 1)) * w;
                   for (const StopMode mode : modes) {
                     for (const Pos step : {Pos{1}, Pos{6}}) {
                       ProtocolSearch search(view, end, mode);
                       std::vector<Pos> fresh, kept;
                       for (Pos q = 0, u = 0;; q = u + step * w) {
                         u = kNone;
                         for (const std::string_view name : kScriptProtocols)
                           if ((u = FindText(view, end, name, q, mode)) != kNone) break;
                         if (u == kNone) break;
                         fresh.push_back(u);
                       }
                       for (Pos q = 0, u = 0; (u = search.Next(q)) != kNone; q = u + step * w)
                         kept.push_back(u);
                       ASSERT_EQ(kept, fresh) << "end " << end << " mode " << static_cast<int>(mode)
                                              << " step " << step;
                     }
                   }
                 });
  // A name not found before a stop character is found when the search starts beyond it.
  for (const int w : {1, 2}) {
    const Both text("\"a\" http://x.com/");
    ProtocolSearch search(text.View(w), static_cast<Pos>(text.ansi.size()) * w,
                          StopMode::DoubleQuote);
    EXPECT_EQ(search.Next(0), kNone);
    EXPECT_EQ(search.Next(3 * w), 4 * w);
    EXPECT_EQ(search.Next(5 * w), kNone);
    EXPECT_EQ(search.Next(0), kNone);  // going back is served too
  }
}

// The tag search of a page with more script blocks than the lists hold follows the blocks along
// the text: it finds what the search over complete lists finds.
TEST(TagWalk, FollowingTheBlocksAgreesWithCompleteLists) {
  ForRandomTexts(
      5, 400, 16,
      {"<script>", "</script>", "<img>", "<a>", "x", "<script ", ">", "<img ", "</script "}, "",
      [](const TextView& view, Pos, std::mt19937&) {
        std::vector<Pos> starts, ends;
        ASSERT_TRUE(CollectScriptRanges(view, starts, ends, 1000));
        ScriptBlocks followed;
        followed.TagsEverywhere = false;
        followed.Overflow = true;
        for (const std::string_view name : {"IMG", "A", "", "SCRIPT"}) {
          TagWalk walk(view, followed);
          for (Pos q = 0; q != kNone;) {
            const Pos got = walk.Find(name, q);
            ASSERT_EQ(got, FindTagOutsideScripts(view, q, name, starts, ends)) << name << " " << q;
            if (got == kNone) break;
            q = NextAfterTag(view, got);
          }
        }
      });
  // The lists keep at most their capacity, and say when there were more.
  std::string s;
  for (int i = 0; i < 5; ++i)
    s += "<script>x</script>";
  const Both text(s);
  std::vector<Pos> starts, ends;
  EXPECT_TRUE(CollectScriptRanges(text.View(1), starts, ends, 5));
  EXPECT_EQ(starts, (std::vector<Pos>{0, 18, 36, 54, 72}));
  EXPECT_EQ(ends, (std::vector<Pos>{9, 27, 45, 63, 81}));
  EXPECT_FALSE(CollectScriptRanges(text.View(2), starts, ends, 4));
  EXPECT_EQ(starts, (std::vector<Pos>{0, 36, 72, 108}));
  EXPECT_EQ(ends.size(), 4u);
}

// The one walk that indexes a page's tags answers every search as the search in the text does:
// every indexed name and a few others, from every offset (odd ones in UTF-16 too), on pages of
// every tag kind with broken markup. So does the quick tag-name span.
TEST(TagIndex, AnswersAsTheSearchInTheText) {
  std::vector<std::string> pieces = {
      "<script>", "</SCRIPT>", "<style ", "</style>", "<", ">",     "=",    "\"",
      "'",        "\\'",       " ",       "\t",       "x", "<!-- ", "\x01", std::string(1, '\0'),
      "\xc3\xa9", "onclick=",  "<a"};
  for (const TagTableRow& row : kTagTable) {
    pieces.push_back("<" + std::string(row.Tag));
    pieces.push_back("<" + ToLowerAscii(row.Tag) + " " + std::string(row.Attribute) + "=");
  }
  std::vector<std::string_view> names(kIndexedTags.begin(), kIndexedTags.end());
  names.insert(names.end(), {"", "SCRIPTX", "B"});
  ForRandomTexts(11, 60, 40, pieces, "", [&](const TextView& view, Pos w, std::mt19937&) {
    const TagIndex index(view, kIndexedTags);
    for (const std::string_view name : names)
      for (Pos from = -1; from <= view.Size + 1; ++from)
        ASSERT_EQ(index.Find(name, from), FindTag(view, name, from)) << name << " from " << from;
    for (Pos at = 0; at < view.Size; at += w) {
      int span = 0;
      ExtractValue(view, at, nullptr, ValueMode::TagName, &span, nullptr);
      ASSERT_EQ(TagNameSpan(view, at), span) << "at " << at;
    }
  });
}

// The attributes of a tag listed once give what FindAttribute gives for every name.
TEST(ListAttributes, LookUpsAgreeWithFindAttribute) {
  std::vector<AttributeToken> attributes;
  ForRandomTexts(
      3, 3000, 12, {"onclick",     "onClick=", "on",      "onclickx=", "=",
                    "\"",          "'",        "\\\"",    " ",         "\t",
                    "x",           "'a b'",    "\"c>d\"", ">",         ">=",
                    "<=",          "<",        "href",    "\x01",      std::string(1, '\0'),
                    "onmouseover", "onload="},
      "<p ", [&](const TextView& view, Pos w, std::mt19937&) {
        ListAttributes(view, 2 * w, attributes);
        for (const std::string_view name : {"onclick", "onmouseover", "onload", "href", "on"}) {
          for (const bool prefix : {false, true}) {
            Pos expectedPos = kNone, gotPos = kNone;
            const int expected = FindAttribute(view, name, 2 * w, nullptr, &expectedPos, prefix);
            const int got = FindListedAttribute(view, attributes, name, &gotPos, prefix);
            ASSERT_EQ(got != 0, expected != 0) << name << " prefix " << prefix;
            if (prefix) continue;
            ASSERT_EQ(got, expected) << name;
            ASSERT_EQ(gotPos, expectedPos) << name;
          }
        }
        // The quick test says no only where FindAttribute finds no such attribute.
        for (Pos at = 0; at < view.Size; at += w) {
          Pos tagEnd = -2;
          if (CharAt(view, at) != '<' || TagMayHaveAttributeBeginning(view, at, "on", &tagEnd)) {
            continue;
          }
          if (tagEnd != -2) {
            ASSERT_EQ(tagEnd, NextAfterTag(view, at)) << "at " << at;
          }
          const Pos nameEnd = at + static_cast<Pos>(TagNameSpan(view, at)) * w;
          ASSERT_EQ(FindAttribute(view, "on", nameEnd, nullptr, nullptr, true), 0) << "at " << at;
        }
      });
}

}  // namespace
}  // namespace urlsmith
