#include "text/primitives.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::AnsiView;
using testing::Utf16LeUnits;
using testing::Utf16View;

constexpr Pos kEnd = -2;  // in tables: "the size of the text"

// The same ASCII text as single-byte and as UTF-16; table positions are in characters and
// are turned into byte offsets with the width.
struct Both {
  std::string ansi;
  std::vector<std::uint8_t> wide;
  explicit Both(std::string_view s) : ansi(s), wide(Utf16LeUnits(s)) {}
  TextView View(int width, CodePage cp = CodePage::Utf8) const {
    if (width == 1) return AnsiView(ansi, cp);
    TextView v = Utf16View(wide);
    v.CodePage = cp;
    return v;
  }
};

Pos At(Pos chars, int width) {
  return chars < 0 ? chars : chars * width;
}
Pos FromBytes(Pos bytes, int width) {
  return bytes < 0 ? bytes : bytes / width;
}

// UTF-16LE bytes of raw units (lone surrogates included).
std::vector<std::uint8_t> Units(std::initializer_list<std::uint32_t> units) {
  std::vector<std::uint8_t> out;
  for (const std::uint32_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}
// Units for ASCII text followed by `more` units.
std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---------------------------------------------------------------------------------------------
// CharAt

TEST(CharAt, SingleByteTextIsTheByteItself) {
  const std::string s = "A\xE9<";
  const TextView t = AnsiView(s);
  EXPECT_EQ(CharAt(t, 0), 'A');
  EXPECT_EQ(CharAt(t, 1), 0xE9);
  EXPECT_EQ(CharAt(t, 2), '<');
  EXPECT_EQ(CharAt(t, 3), '_');
  EXPECT_EQ(CharAt(t, -1), '_');
  EXPECT_EQ(CharAt(t, 1000), '_');
}

TEST(CharAt, Utf16UnitsInEachCodePage) {
  // A, é, €, Ā, 😀 (a pair), then a lone high and a lone low surrogate, then '>'.
  const auto units = Concat(Utf16LeUnits("Aé€Ā😀"), Units({0xD800, 'x', 0xDC00, '>'}));
  TextView t = Utf16View(units);
  struct Case {
    Pos pos;
    unsigned char utf8;
    unsigned char cp1252;
  };
  const Case cases[] = {
      {0, 'A', 'A'},  {2, 0xC3, 0xE9}, {4, 0xE2, 0x80},  {6, 0xC4, '_'},
      {8, 0xF0, '_'}, {10, 0x9F, '_'},  // the two halves of U+1F600
      {12, '_', '_'}, {14, 'x', 'x'},  {16, '_', '_'},   {18, '>', '>'},
      {20, '_', '_'}, {-2, '_', '_'},  {1000, '_', '_'},
  };
  for (const auto& c : cases) {
    t.CodePage = CodePage::Utf8;
    EXPECT_EQ(CharAt(t, c.pos), c.utf8) << c.pos;
    t.CodePage = CodePage::Windows1252;
    EXPECT_EQ(CharAt(t, c.pos), c.cp1252) << c.pos;
  }
}

TEST(CharAt, TrailingOddByteOfUtf16IsNoCharacter) {
  auto units = Utf16LeUnits("ab");
  units.push_back('>');
  const TextView t = Utf16View(units);
  EXPECT_EQ(CharAt(t, 2), 'b');
  EXPECT_EQ(CharAt(t, 4), '_');
  EXPECT_EQ(CharAt(t, 3), '_');  // would straddle the end
}

TEST(CharAt, BigEndianTextIsReadAfterTheSwap) {
  auto bytes = testing::Utf16Bytes("<A>", /*bigEndian=*/true, /*withBom=*/false);
  ByteSwapText(bytes.data(), bytes.size());
  const TextView t{bytes.data(), static_cast<Pos>(bytes.size()), FileEncoding::Utf16Be,
                   CodePage::Utf8};
  EXPECT_EQ(CharAt(t, 2), 'A');
  EXPECT_EQ(FindTag(t, "a", 0), 0);
  EXPECT_EQ(NextAfterTag(t, 0), kNone);
}

// ---------------------------------------------------------------------------------------------
// FindTag

TEST(FindTag, MatchesLessThanAndNameIgnoringAsciiCase) {
  struct Case {
    std::string text;
    std::string name;
    Pos from;
    Pos expected;  // characters
  };
  const Case cases[] = {
      {"<a href=x>", "a", 0, 0},
      {"x<A>", "a", 0, 1},
      {"x<a>", "A", 0, 1},
      {"<b><a>", "", 1, 3},   // the empty name finds every '<'
      {"<abbr>", "A", 0, 0},  // nothing after the name is examined
      {"<frameset>", "FRAME", 0, 0},
      {"<a", "ab", 0, kNone},  // a character beyond the end is a mismatch
      {"<a><a>", "a", 1, 3},
      {"<a><a>", "a", 3, 3},
      {"<a>", "a", 3, kNone},  // from at the end
      {"<a>", "a", -1, kNone},
      {"no tags here", "", 0, kNone},
      {"<[x", "{x", 0, kNone},  // only letters are folded
      {"<!-- c -->", "!--", 0, 0},
      {"</SCRIPT>", "/script", 0, 0},
      {"< a>", "a", 0, kNone},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const Both text(c.text);
      EXPECT_EQ(FindTag(text.View(width), c.name, At(c.from, width)), At(c.expected, width))
          << c.text << " / " << c.name << " width " << width;
    }
  }
}

TEST(FindTag, NonAsciiUnitsNeverLookLikeLessThan) {
  // U+3C3C holds two '<' bytes; U+013C has '<' as its low byte.
  const auto units = Concat(Units({0x3C3C, 0x013C}), Utf16LeUnits("<a"));
  EXPECT_EQ(FindTag(Utf16View(units), "a", 0), 4);
  EXPECT_EQ(FindTag(Utf16View(units), "", 0), 4);
}

// ---------------------------------------------------------------------------------------------
// NextAfterTag

TEST(NextAfterTag, SkipsGreaterThanFollowedByEqualsAndTrailingControls) {
  struct Case {
    std::string text;
    Pos from;
    Pos expected;
  };
  const Case cases[] = {
      {"<a title=\"x>=y\" href=z>next", 0, 23},
      {"<a>=<b>c", 0, 7},
      {"<a>\r\n\tb", 0, 6},
      {"<a> b", 0, 3},    // a blank is not a control character
      {"<a>", 0, kNone},  // nothing after the '>'
      {"<a>\r\n", 0, kNone},
      {"<a", 0, kNone},
      {"<a>b<c>d", 3, 7},
      {"<a>b", -4, kNone},
      {"<a>b", 9, kNone},
      {"<a>=", 0, kNone},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const Both text(c.text);
      EXPECT_EQ(NextAfterTag(text.View(width), At(c.from, width)), At(c.expected, width))
          << c.text << " width " << width;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// FindTagOutsideScripts

// Fills the script ranges as the page scan does: every SCRIPT and every /SCRIPT tag.
void ScriptRanges(const TextView& t, std::vector<Pos>& starts, std::vector<Pos>& ends) {
  for (Pos p = FindTag(t, "SCRIPT", 0); p != kNone;) {
    starts.push_back(p);
    p = NextAfterTag(t, p);
    if (p != kNone) p = FindTag(t, "SCRIPT", p);
  }
  for (Pos p = FindTag(t, "/SCRIPT", 0); p != kNone;) {
    ends.push_back(p);
    p = NextAfterTag(t, p);
    if (p != kNone) p = FindTag(t, "/SCRIPT", p);
  }
}

TEST(FindTagOutsideScripts, SkipsTagsInsideScriptBlocks) {
  // Tags at 0, 15 (in the block 7..22), 31, 47 and 54 (in the block 38..61), 70, and 85 in a
  // block from 77 that never closes.
  const std::string page =
      "<img a><script><img b></script>"
      "<img c><script>x<img d><img e></script><img f>"
      "<script><img g>";
  struct Case {
    Pos from;
    Pos expected;
  };
  const Case cases[] = {{0, 0}, {1, 31}, {32, 70}, {71, kNone}};
  for (int width : {1, 2}) {
    const Both text(page);
    const TextView t = text.View(width);
    std::vector<Pos> starts, ends;
    ScriptRanges(t, starts, ends);
    ASSERT_EQ(starts.size(), 3u);
    ASSERT_EQ(ends.size(), 2u);
    for (const auto& c : cases) {
      EXPECT_EQ(FindTagOutsideScripts(t, At(c.from, width), "img", starts, ends),
                At(c.expected, width))
          << "from " << c.from << " width " << width;
    }
    // Without script ranges every tag counts.
    EXPECT_EQ(FindTagOutsideScripts(t, At(1, width), "img", {}, {}), At(15, width));
    // A tag that starts a block is not inside it.
    EXPECT_EQ(FindTagOutsideScripts(t, At(1, width), "script", starts, ends), At(7, width));
  }
}

TEST(FindTagOutsideScripts, BlockThatClosedBeforeTheTagDoesNotHideIt) {
  const Both text("<script>a</script>b<img x>");
  for (int width : {1, 2}) {
    const TextView t = text.View(width);
    const std::vector<Pos> starts{0};
    const std::vector<Pos> ends{At(9, width)};
    EXPECT_EQ(FindTagOutsideScripts(t, 0, "img", starts, ends), At(19, width));
    // Ends that lie before the block's start are not its end.
    const std::vector<Pos> early{At(9, width)};
    const std::vector<Pos> lateStart{At(10, width)};
    EXPECT_EQ(FindTagOutsideScripts(t, 0, "img", lateStart, early), kNone);
  }
}

// ---------------------------------------------------------------------------------------------
// FindText

TEST(FindText, StopModes) {
  struct Case {
    std::string text;
    std::string needle;
    Pos from;
    Pos end;  // kEnd: the whole text
    StopMode mode;
    Pos expected;
  };
  const Case cases[] = {
      {"xx HTTP://a", "http://", 0, kEnd, StopMode::None, 3},
      {"HtTp", "hTtP", 0, kEnd, StopMode::None, 0},
      {"http http", "http", 1, kEnd, StopMode::None, 5},
      {"abc", "", 1, kEnd, StopMode::None, 1},
      {"xhtt", "http", 0, kEnd, StopMode::None, kNone},   // runs past the end
      {"abc http", "http", 0, 5, StopMode::None, kNone},  // end limits the search
      {"abc http", "http", 0, 8, StopMode::None, 4},
      {"abc http", "http", 0, 500, StopMode::None, 4},
      {"abc http", "http", 0, 6, StopMode::None, kNone},  // the match would cross the end
      {"a<b\"'\\ http", "http", 0, kEnd, StopMode::None, 7},
      // 0: '<' not followed by '='
      {"ab<c http", "http", 0, kEnd, StopMode::LessThan, kNone},
      {"ab<=c http", "http", 0, kEnd, StopMode::LessThan, 6},
      {"ab>c http", "http", 0, kEnd, StopMode::LessThan, 5},
      {"x<a", "<a", 0, kEnd, StopMode::LessThan, 1},  // a stop character may match
      {"x<b", "<a", 0, kEnd, StopMode::LessThan, kNone},
      // 1: '>' not followed by '='
      {"a>b http", "http", 0, kEnd, StopMode::GreaterThan, kNone},
      {"a>=b http", "http", 0, kEnd, StopMode::GreaterThan, 5},
      {"a<b http", "http", 0, kEnd, StopMode::GreaterThan, 4},
      // 3: double quote
      {"ab\" http", "http", 0, kEnd, StopMode::DoubleQuote, kNone},
      {"ab' http", "http", 0, kEnd, StopMode::DoubleQuote, 4},
      {"x\"y", "\"y", 0, kEnd, StopMode::DoubleQuote, kNone},  // met while comparing
      {"h\"ttp http", "http", 0, kEnd, StopMode::DoubleQuote, kNone},
      {"ab\" http", "http", 3, kEnd, StopMode::DoubleQuote, 4},
      // 4: apostrophe
      {"ab' http", "http", 0, kEnd, StopMode::Apostrophe, kNone},
      {"ab\" http", "http", 0, kEnd, StopMode::Apostrophe, 4},
      // 5: backslash and double quote
      {"a\\\"b http", "http", 0, kEnd, StopMode::EscapedDoubleQuote, kNone},
      {"a\\b http", "http", 0, kEnd, StopMode::EscapedDoubleQuote, 4},
      {"a\"b http", "http", 0, kEnd, StopMode::EscapedDoubleQuote, 4},
      {"a\\'b http", "http", 0, kEnd, StopMode::EscapedDoubleQuote, 5},
      // 6: backslash and apostrophe
      {"a\\'b http", "http", 0, kEnd, StopMode::EscapedApostrophe, kNone},
      {"a\\\"b http", "http", 0, kEnd, StopMode::EscapedApostrophe, 5},
      // 7: blank
      {"a b http", "http", 0, kEnd, StopMode::Blank, kNone},
      {"ab\thttp", "http", 0, kEnd, StopMode::Blank, 3},
      {"http x", "http x", 0, kEnd, StopMode::Blank, kNone},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const Both text(c.text);
      const TextView t = text.View(width);
      const Pos end = c.end == kEnd ? t.Size : At(c.end, width);
      EXPECT_EQ(FindText(t, end, c.needle, At(c.from, width), c.mode), At(c.expected, width))
          << c.text << " / " << c.needle << " mode " << static_cast<int>(c.mode) << " width "
          << width;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// ExtractValue

struct ValueCase {
  std::string text;
  Pos pos;
  ValueMode mode;
  std::string value;
  int span;
  int quote;
  QuoteKind kind;
};

void CheckValue(const ValueCase& c, int width) {
  const Both text(c.text);
  std::string value = "stale";
  int span = -1, quote = -1;
  QuoteKind kind = QuoteKind::Parenthesis;
  const int n =
      ExtractValue(text.View(width), At(c.pos, width), &value, c.mode, &span, &quote, &kind);
  const std::string where = "[" + c.text + "] width " + std::to_string(width);
  EXPECT_EQ(value, c.value) << where;
  EXPECT_EQ(n, static_cast<int>(c.value.size())) << where;
  EXPECT_EQ(span, c.span) << where;
  EXPECT_EQ(quote, c.quote) << where;
  EXPECT_EQ(kind, c.kind) << where;
  // The outputs are optional.
  EXPECT_EQ(ExtractValue(text.View(width), At(c.pos, width), nullptr, c.mode, nullptr, nullptr), n)
      << where;
}

TEST(ExtractValue, QuotesSpansAndEnds) {
  using enum ValueMode;
  using Q = QuoteKind;
  const ValueCase cases[] = {
      {"\"a b.htm\">", 0, TagAttribute, "a b.htm", 9, 1, Q::DoubleQuote},
      {"a.htm> ", 0, TagAttribute, "a.htm", 5, 0, Q::Unquoted},
      {"\"abc", 0, TagAttribute, "", 0, 1, Q::DoubleQuote},  // no closing quote
      {"abc", 0, TagAttribute, "", 0, 0, Q::Unquoted},       // ran out unquoted
      {"\"a\r\nb.htm\">", 0, TagAttribute, "ab.htm", 10, 1, Q::DoubleQuote},
      {"<a href=\"x.htm\">", 8, TagAttribute, "x.htm", 7, 1, Q::DoubleQuote},
      {"'a.htm' x", 0, TagAttribute, "a.htm", 7, 1, Q::Apostrophe},
      {"'a\"b' x", 0, TagAttribute, "a\"b", 5, 1, Q::Apostrophe},
      {"\\\"a b\\\" x", 0, TagAttribute, "a b", 7, 2, Q::EscapedDoubleQuote},
      {"\\'a\"b\\' x", 0, TagAttribute, "a\"b", 7, 2, Q::EscapedApostrophe},
      {"\\\"a\"b\\\" x", 0, TagAttribute, "a\"b", 7, 2, Q::EscapedDoubleQuote},
      {"\"'x'\" ", 0, TagAttribute, "x", 4, 1, Q::Apostrophe},  // quote tests in sequence
      {"\"\"x ", 0, TagAttribute, "", 2, 1, Q::DoubleQuote},
      // unquoted ends
      {"a.htm b", 0, TagAttribute, "a.htm", 5, 0, Q::Unquoted},
      {"a\"b ", 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {"a'b ", 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {"a\\\"b ", 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {"a\\'b ", 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {"a\\b.htm x", 0, TagAttribute, "a\\b.htm", 7, 0, Q::Unquoted},
      {"a\tb c", 0, TagAttribute, "ab", 3, 0, Q::Unquoted},
      {std::string("a\0b ", 4), 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {std::string("\"a\0b\" ", 6), 0, TagAttribute, "a", 2, 1, Q::DoubleQuote},
      // mode 0: '<' or '>' not followed by '=' ends every kind
      {"a<b ", 0, TagAttribute, "a", 1, 0, Q::Unquoted},
      {"a<=b x", 0, TagAttribute, "a<=b", 4, 0, Q::Unquoted},
      {"a>=b> ", 0, TagAttribute, "a>=b", 4, 0, Q::Unquoted},
      {"\"a>b\" ", 0, TagAttribute, "a", 2, 1, Q::DoubleQuote},
      // mode 1: no mode end, '(' is a quote closed by ')'
      {"(x.gif) ", 0, StyleUrl, "x.gif", 7, 1, Q::Parenthesis},
      {"(\"x.gif\") ", 0, StyleUrl, "\"x.gif\"", 9, 1, Q::Parenthesis},
      {"(a>b c) ", 0, StyleUrl, "a>b c", 7, 1, Q::Parenthesis},
      {"\"x.gif\") ", 0, StyleUrl, "x.gif", 7, 1, Q::DoubleQuote},
      {"x.gif) x", 0, StyleUrl, "x.gif)", 6, 0, Q::Unquoted},
      {"(x.gif", 0, StyleUrl, "", 0, 1, Q::Parenthesis},
      {"(x.gif) x", 0, TagAttribute, "(x.gif)", 7, 0, Q::Unquoted},  // '(' only in mode 1
      // mode 2: only '>' not followed by '='
      {"a<b> ", 0, Rewriter, "a<b", 3, 0, Q::Unquoted},
      {"a>=b> ", 0, Rewriter, "a>=b", 4, 0, Q::Unquoted},
      // mode 3: any '>' and a blank
      {"<IMG src=x>", 0, TagName, "<IMG", 4, 0, Q::Unquoted},
      {"<br>x", 0, TagName, "<br", 3, 0, Q::Unquoted},
      {"<a>=b ", 0, TagName, "<a", 2, 0, Q::Unquoted},
      {"<a\n b>", 0, TagName, "<a", 3, 0, Q::Unquoted},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases)
      CheckValue(c, width);
  }
}

TEST(ExtractValue, LastUtf16UnitNeverEndsAValue) {
  using enum ValueMode;
  using Q = QuoteKind;
  // In single-byte text the last character can end a value; in UTF-16 text the last unit
  // reads as '_', so the value runs out there.
  const ValueCase endsAtLast[] = {
      {"a.htm>", 0, TagAttribute, "a.htm", 5, 0, Q::Unquoted},
      {"(x.gif)", 0, StyleUrl, "x.gif", 7, 1, Q::Parenthesis},
      {"\"x\"", 0, TagAttribute, "x", 3, 1, Q::DoubleQuote},
  };
  for (const auto& c : endsAtLast) {
    CheckValue(c, 1);
    CheckValue({c.text, c.pos, c.mode, "", 0, c.quote, c.kind}, 2);
  }
}

TEST(ExtractValue, HandlesValuesOfAnyLength) {
  const std::string body(200000, 'x');
  const Both text("\"" + body + "\" ");
  for (int width : {1, 2}) {
    std::string value;
    int span = 0;
    EXPECT_EQ(ExtractValue(text.View(width), 0, &value, ValueMode::TagAttribute, &span, nullptr),
              200000);
    EXPECT_EQ(value, body);
    EXPECT_EQ(span, 200002);
  }
}

TEST(ExtractValue, PositionOutsideTheTextGivesNothing) {
  const Both text("abc ");
  for (int width : {1, 2}) {
    for (Pos pos : {Pos{-1}, Pos{-2}, At(4, width), At(100, width)}) {
      std::string value = "stale";
      int span = -1;
      EXPECT_EQ(
          ExtractValue(text.View(width), pos, &value, ValueMode::TagAttribute, &span, nullptr), 0);
      EXPECT_EQ(value, "");
      EXPECT_EQ(span, 0);
    }
  }
}

TEST(ExtractValue, Utf16ValuesAreWrittenInTheCodePage) {
  struct Case {
    std::vector<std::uint8_t> units;
    CodePage cp;
    std::string value;
    int span;
  };
  const Case cases[] = {
      {Utf16LeUnits("\"é€😀.htm\" "), CodePage::Utf8, "é€😀.htm", 10},
      {Utf16LeUnits("\"é€😀.htm\" "), CodePage::Windows1252, "\xE9\x80__.htm", 10},
      {Utf16LeUnits("(Ā) "), CodePage::Windows1252, "_", 3},
      // lone surrogates, and a pair split by a skipped control character
      {Concat(Utf16LeUnits("\""), Units({0xD800, 'x', 0xDC00, '"', ' '})), CodePage::Utf8, "_x_",
       5},
      {Concat(Utf16LeUnits("\""), Units({0xDBFF, '"', ' '})), CodePage::Utf8, "_", 3},
      {Concat(Utf16LeUnits("\""), Units({0xD83D, '\n', 0xDE00, '"', ' '})), CodePage::Utf8, "__",
       5},
      {Concat(Utf16LeUnits("\""), Units({0xDE00, 0xD83D, '"', ' '})), CodePage::Utf8, "__", 4},
  };
  for (const auto& c : cases) {
    TextView t = Utf16View(c.units);
    t.CodePage = c.cp;
    std::string value;
    int span = 0;
    EXPECT_EQ(ExtractValue(t, 0, &value, ValueMode::StyleUrl, &span, nullptr),
              static_cast<int>(c.value.size()))
        << c.value;
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(span, c.span) << c.value;
  }
}

TEST(ExtractValue, OddSizedUtf16BufferEndsBeforeTheStrayByte) {
  auto units = Utf16LeUnits("\"abc\" ");
  units.push_back('"');
  std::string value;
  int span = 0;
  EXPECT_EQ(ExtractValue(Utf16View(units), 0, &value, ValueMode::TagAttribute, &span, nullptr), 3);
  EXPECT_EQ(span, 5);
  // Without the blank the closing quote is the last whole unit: the value runs out.
  auto shorter = Utf16LeUnits("\"abc\"");
  shorter.push_back(' ');
  EXPECT_EQ(ExtractValue(Utf16View(shorter), 0, &value, ValueMode::TagAttribute, &span, nullptr),
            0);
  EXPECT_EQ(span, 0);
}

// ---------------------------------------------------------------------------------------------
// FindAttribute

struct AttributeCase {
  std::string text;
  std::string name;
  Pos from;
  std::string value;
  Pos valuePos;  // characters; kNone when no value was reached
};

void CheckAttribute(const AttributeCase& c, int width) {
  const Both text(c.text);
  std::string value = "stale";
  Pos valuePos = 12345;
  const int n =
      FindAttribute(text.View(width), c.name, At(c.from, width), &value, &valuePos, false);
  const std::string where = "[" + c.text + "] " + c.name + " width " + std::to_string(width);
  EXPECT_EQ(value, c.value) << where;
  EXPECT_EQ(n, static_cast<int>(c.value.size())) << where;
  EXPECT_EQ(valuePos, At(c.valuePos, width)) << where;
  EXPECT_EQ(FindAttribute(text.View(width), c.name, At(c.from, width), nullptr, nullptr, false), n)
      << where;
}

TEST(FindAttribute, ReadsTheNamedAttributeOfOneTag) {
  const AttributeCase cases[] = {
      {"<a href=\"x.htm\">", "href", 2, "x.htm", 8},
      {"<a HREF='x.htm'>", "href", 2, "x.htm", 8},
      {"<A href=x.htm>", "HREF", 2, "x.htm", 8},
      {"<a href = \"x.htm\">", "href", 2, "x.htm", 10},
      {"<a\r\n\thref=x>", "href", 2, "x", 10},
      {"<a title=\"a b\" href=x>", "href", 2, "x", 20},
      {"<a title=\"href=y\" href=x>", "href", 2, "x", 23},
      {"<a title='it\"s' href=x>", "href", 2, "x", 21},
      {"<a onclick=\\\"f( g)\\\" href=x>", "href", 2, "x", 26},
      {"<a onclick=\\'f( g)\\' href=x>", "href", 2, "x", 26},
      {"<a title=\"x>y\" href=z>", "href", 2, "z", 20},
      {"<a title=x>= href=y>", "href", 2, "y", 18},
      {"<a title=x> href=y>", "href", 2, "", kNone},  // the tag ended
      {"<a title=x <b href=y>", "href", 2, "", kNone},
      {"<a title=\"open href=x>", "href", 2, "", kNone},  // quote never closes
      {"<a title=\\\"open href=x>", "href", 2, "", kNone},
      {"<a>", "href", 2, "", kNone},
      {"<a  ", "href", 2, "", kNone},
      {"<a href>", "href", 2, "", kNone},
      {"<a href x=y>", "href", 2, "", kNone},
      {"<a href<b=1>", "href", 2, "", kNone},
      {"<a href=>", "href", 2, "", 8},  // empty value
      {"<a href=", "href", 2, "", kNone},
      {std::string("<a href= \0x>", 12), "href", 2, "", kNone},
      {std::string("<a \0 href=x>", 12), "href", 2, "", kNone},
      {"<a href=x>", "href", 20, "", kNone},
      {"<a href=x>", "href", -1, "", kNone},
      // whole names only: a longer name is another attribute
      {"<link hreflang=en href=x.css>", "href", 5, "x.css", 23},
      {"<img srcset=\"a.png 2x\" src=b.png>", "src", 4, "b.png", 27},
      {"<a targetx=1 target=_top>", "target", 2, "_top", 20},
      {"<a hrefx href=y>", "href", 2, "y", 14},
      {"<a href-lang=\"a b\" href=z>", "href", 2, "z", 24},
      {"<a hreflang=en>", "href", 2, "", kNone},
      {"<a xhref=y>", "href", 2, "", kNone},
      {"<a hr ef=y>", "href", 2, "", kNone},
      // values
      {"<a href=a\"b>", "href", 2, "a", 8},
      {"<a href=a'b>", "href", 2, "a", 8},
      {"<a href=a\\\"b>", "href", 2, "a", 8},
      {"<a href=a\\b.htm>", "href", 2, "a\\b.htm", 8},
      {"<a href=a b>", "href", 2, "a", 8},
      {"<a href=\"a b\">", "href", 2, "a b", 8},
      {"<a href='a\"b'>", "href", 2, "a\"b", 8},
      {"<a href=\\\"a b\\\">", "href", 2, "a b", 8},
      {"<a href=\\'a\"b\\'>", "href", 2, "a\"b", 8},
      {"<a href=\"'x'\">", "href", 2, "x", 8},
      {"<a href=\"a\tb\r\nc\">", "href", 2, "abc", 8},
      {std::string("<a href=\"a\0b\">", 14), "href", 2, "a", 8},
      {"<a href=\"abc", "href", 2, "abc", 8},  // the end of the text ends it
      {"<a href=abc", "href", 2, "abc", 8},
      {"<a href=\"a<b\">", "href", 2, "a", 8},
      {"<a href=\"a<=b\">", "href", 2, "a<=b", 8},
      {"<a href=\"a>=b\">", "href", 2, "a>=b", 8},
      // an empty quoted value is read on up to the next closing quote or the tag's end
      {"<a href=\"\" target=x>", "href", 2, "\" target=x", 8},
      {"<a href=\"\" title=\"t\">", "href", 2, "\" title=", 8},
      {"<a href=''>", "href", 2, "'", 8},
      {"<a href=\\\"\\\" x=\\\"y\\\">", "href", 2, "\\\" x=", 8},
      // a name with blanks, as in the comment of a saved page
      {"<!-- saved from url=(0022)http://www.x.com/ -->", "saved from url", 4,
       "(0022)http://www.x.com/", 20},
      {"<!-- saved from urn=(0022)x saved from url=y -->", "saved from url", 4, "y", 43},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases)
      CheckAttribute(c, width);
  }
}

TEST(FindAttribute, PrefixOnlyReportsAnyNameBeginningWithIt) {
  struct Case {
    std::string text;
    Pos from;
    bool found;
  };
  const Case cases[] = {
      {"<a onclick=f()>", 2, true},
      {"<a href=x ONMOUSEOVER='g()'>", 2, true},
      {"<a on>", 2, true},
      {"<a href=x>", 2, false},
      {"<a title=\"onclick\" href=x>", 2, false},
      {"<a xon=1>", 2, false},
      {"<a> <b onclick=x>", 2, false},
      {"<a href=x", 2, false},
  };
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const Both text(c.text);
      EXPECT_EQ(
          FindAttribute(text.View(width), "on", At(c.from, width), nullptr, nullptr, true) != 0,
          c.found)
          << c.text << " width " << width;
    }
  }
}

TEST(FindAttribute, Utf16ValuesAreWrittenInTheCodePage) {
  const auto units = Utf16LeUnits("<a title=\"é\" href=\"é€😀.htm\">");
  TextView t = Utf16View(units);
  std::string value;
  Pos valuePos = kNone;
  EXPECT_EQ(FindAttribute(t, "href", 4, &value, &valuePos, false), 13);
  EXPECT_EQ(value, "é€😀.htm");
  EXPECT_EQ(valuePos, 36);  // character 18
  t.CodePage = CodePage::Windows1252;
  EXPECT_EQ(FindAttribute(t, "href", 4, &value, &valuePos, false), 8);
  EXPECT_EQ(value, "\xE9\x80__.htm");

  const auto lone = Concat(Utf16LeUnits("<a href="), Units({0xDC00, 'x', 0xD800, '>'}));
  EXPECT_EQ(FindAttribute(Utf16View(lone), "href", 4, &value, nullptr, false), 3);
  EXPECT_EQ(value, "_x_");
  // A high surrogate as the last unit of the text.
  const auto trailing = Concat(Utf16LeUnits("<a href=x"), Units({0xD800}));
  EXPECT_EQ(FindAttribute(Utf16View(trailing), "href", 4, &value, nullptr, false), 2);
  EXPECT_EQ(value, "x_");
}

TEST(FindAttribute, OddSizedUtf16BufferEndsBeforeTheStrayByte) {
  auto units = Utf16LeUnits("<a href=xy");
  units.push_back('>');
  std::string value;
  EXPECT_EQ(FindAttribute(Utf16View(units), "href", 4, &value, nullptr, false), 2);
  EXPECT_EQ(value, "xy");
  auto open = Utf16LeUnits("<a title=");
  open.push_back('"');
  EXPECT_EQ(FindAttribute(Utf16View(open), "href", 4, &value, nullptr, false), 0);
}

TEST(FindAttribute, HandlesValuesOfAnyLength) {
  const std::string body(100000, 'u');
  const Both text("<a href=\"" + body + "\">");
  for (int width : {1, 2}) {
    std::string value;
    EXPECT_EQ(FindAttribute(text.View(width), "href", At(2, width), &value, nullptr, false),
              100000);
    EXPECT_EQ(value, body);
  }
}

// ---------------------------------------------------------------------------------------------
// Single-byte and UTF-16 readings of the same ASCII text agree on every primitive. Random
// texts over the characters the primitives react to also run every path under the sanitizers.

TEST(Primitives, Utf16AgreesWithSingleByteOnAsciiText) {
  const std::string alphabet = std::string("<>=\"'\\ \t\nahr/(", 14) + std::string(1, '\0');
  std::mt19937 rng(20240611);
  const std::string names[] = {"", "a", "ha", "hr"};
  const std::string needles[] = {"a", "ha", "h=", "\"a", "<a"};
  for (int round = 0; round < 1500; ++round) {
    const std::size_t length = rng() % 24;
    std::string s;
    for (std::size_t i = 0; i < length; ++i)
      s.push_back(alphabet[rng() % alphabet.size()]);
    const Both text(s);
    const TextView a = text.View(1);
    const TextView w = text.View(2);
    const auto size = static_cast<Pos>(s.size());
    for (Pos from = 0; from <= size; ++from) {
      const std::string where = "[" + s + "] from " + std::to_string(from);
      for (const auto& name : names) {
        EXPECT_EQ(FromBytes(FindTag(w, name, from * 2), 2), FindTag(a, name, from)) << where;
        std::string va, vw;
        Pos pa = 0, pw = 0;
        EXPECT_EQ(FindAttribute(a, name, from, &va, &pa, false),
                  FindAttribute(w, name, from * 2, &vw, &pw, false))
            << where << " " << name;
        EXPECT_EQ(va, vw) << where;
        EXPECT_EQ(pa, FromBytes(pw, 2)) << where;
        EXPECT_EQ(FindAttribute(a, name, from, nullptr, nullptr, true),
                  FindAttribute(w, name, from * 2, nullptr, nullptr, true))
            << where;
      }
      EXPECT_EQ(FromBytes(NextAfterTag(w, from * 2), 2), NextAfterTag(a, from)) << where;
      for (const auto& needle : needles) {
        for (int mode = 0; mode <= 7; ++mode) {
          const Pos end = (from * 7 + mode) % (size + 2);
          EXPECT_EQ(FromBytes(FindText(w, end * 2, needle, from * 2, StopMode(mode)), 2),
                    FindText(a, end, needle, from, StopMode(mode)))
              << where << " " << needle << " mode " << mode << " end " << end;
        }
      }
      for (int mode = 0; mode <= 3; ++mode) {
        std::string va, vw;
        int sa = 0, sw = 0, qa = 0, qw = 0;
        QuoteKind ka{}, kw{};
        const int na = ExtractValue(a, from, &va, ValueMode(mode), &sa, &qa, &ka);
        const int nw = ExtractValue(w, from * 2, &vw, ValueMode(mode), &sw, &qw, &kw);
        EXPECT_EQ(qa, qw) << where;
        EXPECT_EQ(ka, kw) << where;
        if (na == nw && sa == sw) {
          EXPECT_EQ(va, vw) << where;
        } else {
          // Only the last unit of UTF-16 text can tell them apart: the value ran out there.
          EXPECT_EQ(nw, 0) << where << " mode " << mode;
          EXPECT_EQ(sw, 0) << where << " mode " << mode;
          EXPECT_GE(from + sa, size - 1) << where << " mode " << mode;
        }
      }
    }
  }
}

}  // namespace
}  // namespace urlsmith
