// The searches the scanners share: script comments, the protocol search along a block, and the
// tag search that skips script blocks.
#include "engine/scan_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tag_scanner.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

// A text in both encodings; positions are asked in characters and converted to bytes.
struct Both {
  explicit Both(std::string s) : ansi(std::move(s)), utf16(testing::Utf16LeUnits(ansi)) {}
  TextView View(bool wide) const {
    return wide ? testing::Utf16View(utf16) : testing::AnsiView(ansi);
  }
  std::string ansi;
  std::vector<std::uint8_t> utf16;
};

struct CommentCase {
  const char* text;
  const char* at;  // the URL asked about: the last occurrence of this piece
  bool inComment;
};

TEST(IsInScriptComment, Rules) {
  const CommentCase cases[] = {
      {"a='http://x.com/'", "http://x", false},
      {"// http://x.com/", "http://x", true},
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
      {"/* a */ b='http://x.com/'", "http://x", false},
  };
  for (const CommentCase& c : cases) {
    for (const bool wide : {false, true}) {
      SCOPED_TRACE(std::string(c.text) + (wide ? " / utf-16" : " / ansi"));
      const Both text(c.text);
      const std::string at = c.at;
      const Pos u = static_cast<Pos>(text.ansi.rfind(at)) * (wide ? 2 : 1);
      EXPECT_EQ(IsInScriptComment(text.View(wide), u), c.inComment);
      ScriptCommentTracker tracker(text.View(wide));
      EXPECT_EQ(tracker.InComment(u), c.inComment);
    }
  }
}

// Random texts over the characters that matter: the tracker asked along a text in ascending
// order (and once going back) agrees with the rule at every position.
TEST(ScriptCommentTracker, AgreesWithTheRuleEverywhere) {
  std::mt19937 rng(7);
  const std::string alphabet = "//:*\n\r a'";
  for (int round = 0; round < 300; ++round) {
    std::string s;
    const int length = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < length; ++i)
      s += alphabet[rng() % alphabet.size()];
    for (const bool wide : {false, true}) {
      const Both text(s);
      const TextView view = text.View(wide);
      const int w = wide ? 2 : 1;
      ScriptCommentTracker tracker(view);
      for (int i = 0; i < length; i += 1 + static_cast<int>(rng() % 3)) {
        ASSERT_EQ(tracker.InComment(i * w), IsInScriptComment(view, i * w))
            << "text '" << s << "' at " << i << (wide ? " utf-16" : " ansi");
      }
      const int back = static_cast<int>(rng() % static_cast<unsigned>(length));
      ASSERT_EQ(tracker.InComment(back * w), IsInScriptComment(view, back * w))
          << "text '" << s << "' back at " << back;
    }
  }
}

// The first protocol name found, searched afresh each time.
Pos FirstProtocol(const TextView& text, Pos end, Pos from, StopMode mode) {
  for (const std::string_view name : kScriptProtocols) {
    const Pos u = FindText(text, end, name, from, mode);
    if (u != kNone) return u;
  }
  return kNone;
}

// Walks a text as the scanners do (the next search `step` characters after the URL found) with
// ProtocolSearch and with fresh searches; both must find the same places.
TEST(ProtocolSearch, AgreesWithFreshSearches) {
  std::mt19937 rng(11);
  const std::vector<std::string> pieces = {"http://", "https://", "ftp://", "file:///", "gopher://",
                                           "htt",     "x",        " ",      "'",        "\"",
                                           "<",       "<=",       "\\\"",   "\\'",      "ftp:/"};
  const StopMode modes[] = {
      StopMode::None,       StopMode::LessThan,           StopMode::DoubleQuote,
      StopMode::Apostrophe, StopMode::EscapedDoubleQuote, StopMode::EscapedApostrophe,
      StopMode::Blank};
  for (int round = 0; round < 400; ++round) {
    std::string s;
    const int count = 1 + static_cast<int>(rng() % 14);
    for (int i = 0; i < count; ++i)
      s += pieces[rng() % pieces.size()];
    for (const bool wide : {false, true}) {
      const Both text(s);
      const TextView view = text.View(wide);
      const Pos w = wide ? 2 : 1;
      const Pos end = static_cast<Pos>(rng() % (s.size() + 1)) * w;
      for (const StopMode mode : modes) {
        for (const Pos step : {Pos{1}, Pos{6}}) {
          ProtocolSearch search(view, end, mode);
          std::vector<Pos> fresh;
          std::vector<Pos> kept;
          for (Pos q = 0;;) {
            const Pos u = FirstProtocol(view, end, q, mode);
            if (u == kNone) break;
            fresh.push_back(u);
            q = u + step * w;
          }
          for (Pos q = 0;;) {
            const Pos u = search.Next(q);
            if (u == kNone) break;
            kept.push_back(u);
            q = u + step * w;
          }
          ASSERT_EQ(kept, fresh) << "text '" << s << "' end " << end << " mode "
                                 << static_cast<int>(mode) << " step " << step;
        }
      }
    }
  }
}

// A name not found before a stop character may be found when the search starts beyond it.
TEST(ProtocolSearch, StartingBeyondTheStopSearchesAgain) {
  for (const bool wide : {false, true}) {
    const Both text("\"a\" http://x.com/");
    const Pos w = wide ? 2 : 1;
    ProtocolSearch search(text.View(wide), static_cast<Pos>(text.ansi.size()) * w,
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
  std::mt19937 rng(5);
  const std::vector<std::string> pieces = {"<script>", "</script>", "<img>", "<a>",      "x",
                                           "<script ", ">",         "<img ", "</script "};
  for (int round = 0; round < 400; ++round) {
    std::string s;
    const int count = 1 + static_cast<int>(rng() % 16);
    for (int i = 0; i < count; ++i)
      s += pieces[rng() % pieces.size()];
    for (const bool wide : {false, true}) {
      const Both text(s);
      const TextView view = text.View(wide);
      std::vector<Pos> starts;
      std::vector<Pos> ends;
      ASSERT_TRUE(CollectScriptRanges(view, starts, ends, 1000));
      ScriptBlocks followed;
      followed.TagsEverywhere = false;
      followed.Overflow = true;
      for (const std::string_view name : {"IMG", "A", "", "SCRIPT"}) {
        TagWalk walk(view, followed);
        Pos q = 0;
        while (true) {
          const Pos expected = FindTagOutsideScripts(view, q, name, starts, ends);
          const Pos got = walk.Find(name, q);
          ASSERT_EQ(got, expected) << "text '" << s << "' tag " << name << " from " << q;
          if (got == kNone) break;
          q = NextAfterTag(view, got);
          if (q == kNone) break;
        }
      }
    }
  }
}

// The one walk that indexes a page's tags answers every search exactly as the search in the
// text does: every indexed name and a few others, from every offset (odd ones in UTF-16 too),
// on pages of every tag kind with broken markup. So does the quick tag-name span.
TEST(TagIndex, AnswersAsTheSearchInTheText) {
  std::mt19937 rng(11);
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
  for (int round = 0; round < 60; ++round) {
    std::string s;
    const int count = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < count; ++i)
      s += pieces[rng() % pieces.size()];
    for (const bool wide : {false, true}) {
      const Both text(s);
      const TextView view = text.View(wide);
      const TagIndex index(view, kIndexedTags);
      for (const std::string_view name : names) {
        for (Pos from = -1; from <= view.Size + 1; ++from) {
          ASSERT_EQ(index.Find(name, from), FindTag(view, name, from))
              << "text '" << s << "' wide " << wide << " tag " << name << " from " << from;
        }
      }
      for (Pos at = 0; at < view.Size; at += view.width()) {
        int span = 0;
        ExtractValue(view, at, nullptr, ValueMode::TagName, &span, nullptr);
        ASSERT_EQ(TagNameSpan(view, at), span) << "text '" << s << "' at " << at;
      }
    }
  }
}

// The attributes of a tag listed once give what FindAttribute gives for every name.
TEST(ListAttributes, LookUpsAgreeWithFindAttribute) {
  std::mt19937 rng(3);
  const std::vector<std::string> pieces = {
      "onclick",     "onClick=", "on",      "onclickx=", "=",
      "\"",          "'",        "\\\"",    " ",         "\t",
      "x",           "'a b'",    "\"c>d\"", ">",         ">=",
      "<=",          "<",        "href",    "\x01",      std::string(1, '\0'),
      "onmouseover", "onload="};
  const std::vector<std::string_view> names = {"onclick", "onmouseover", "onload", "href", "on"};
  std::vector<AttributeToken> attributes;
  for (int round = 0; round < 3000; ++round) {
    std::string s = "<p ";
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i)
      s += pieces[rng() % pieces.size()];
    for (const bool wide : {false, true}) {
      const Both text(s);
      const TextView view = text.View(wide);
      const Pos from = 2 * view.width();
      ListAttributes(view, from, attributes);
      for (const std::string_view name : names) {
        for (const bool prefix : {false, true}) {
          Pos expectedPos = kNone;
          const int expected = FindAttribute(view, name, from, nullptr, &expectedPos, prefix);
          Pos gotPos = kNone;
          const int got = FindListedAttribute(view, attributes, name, &gotPos, prefix);
          ASSERT_EQ(got != 0, expected != 0) << "'" << s << "' " << name << " prefix " << prefix;
          if (!prefix) {
            ASSERT_EQ(got, expected) << "'" << s << "' " << name;
            ASSERT_EQ(gotPos, expectedPos) << "'" << s << "' " << name;
          }
        }
      }
    }
  }
}

TEST(CollectScriptRanges, KeepsAtMostTheCapacity) {
  std::string s;
  for (int i = 0; i < 5; ++i)
    s += "<script>x</script>";
  const Both text(s);
  std::vector<Pos> starts;
  std::vector<Pos> ends;
  EXPECT_TRUE(CollectScriptRanges(text.View(false), starts, ends, 5));
  EXPECT_EQ(starts, (std::vector<Pos>{0, 18, 36, 54, 72}));
  EXPECT_EQ(ends, (std::vector<Pos>{9, 27, 45, 63, 81}));
  EXPECT_FALSE(CollectScriptRanges(text.View(true), starts, ends, 4));
  EXPECT_EQ(starts, (std::vector<Pos>{0, 36, 72, 108}));
  EXPECT_EQ(ends.size(), 4u);
}

}  // namespace
}  // namespace urlsmith
