// The text primitives, paths, UTF-8, the encoding of real files, and the URL string operations.
// Every primitive table runs on its text as single-byte text and as UTF-16; table positions are
// in characters.
#include "text/primitives.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/core_fixtures.h"
#include "support/test_support.h"
#include "text/replacement.h"
#include "text/text_loading.h"
#include "text/url_ops.h"

namespace urlsmith::testing {
namespace {

constexpr Pos kEnd = -2;  // in tables: "the size of the text"
constexpr auto kTA = ValueMode::TagAttribute, kStyle = ValueMode::StyleUrl,
               kRewriter = ValueMode::Rewriter, kName = ValueMode::TagName;
constexpr auto U = QuoteKind::Unquoted, DQ = QuoteKind::DoubleQuote, AP = QuoteKind::Apostrophe,
               EDQ = QuoteKind::EscapedDoubleQuote, EAP = QuoteKind::EscapedApostrophe,
               PAR = QuoteKind::Parenthesis;

TEST(CharAt, Utf16UnitsAndWhatLiesOutside) {
  // A, é, €, Ā, 😀 (a pair), a lone high and a lone low surrogate, '>', then an odd byte.
  auto units = Utf16Units("Aé€Ā😀", {0xD800, 'x', 0xDC00, '>'});
  units.push_back('>');
  const TextView w = Utf16View(units);
  TextView cp1252 = w;
  cp1252.CodePage = CodePage::Windows1252;
  // clang-format off
  const std::tuple<Pos, unsigned char, unsigned char> cases[] = {
      {0, 'A', 'A'}, {2, 0xC3, 0xE9}, {4, 0xE2, 0x80}, {6, 0xC4, '_'}, {8, 0xF0, '_'},
      {10, 0x9F, '_'}, {12, '_', '_'}, {14, 'x', 'x'}, {16, '_', '_'}, {18, '>', '>'},
      {19, '_', '_'}, {20, '_', '_'}, {-2, '_', '_'}, {1000, '_', '_'}};
  // clang-format on
  for (const auto& [pos, utf8, inCp1252] : cases)
    EXPECT_EQ(std::pair(CharAt(w, pos), CharAt(cp1252, pos)), std::pair(utf8, inCp1252)) << pos;
}

// Rows: the empty name finds every '<'; nothing after the name is examined; a character beyond
// the end is a mismatch; only letters are folded.
TEST(FindTag, MatchesLessThanAndNameIgnoringAsciiCase) {
  // clang-format off
  const std::tuple<std::string, std::string, Pos, Pos> cases[] = {
      {"<a href=x>", "a", 0, 0}, {"x<A>", "a", 0, 1}, {"x<a>", "A", 0, 1}, {"<b><a>", "", 1, 3},
      {"<abbr>", "A", 0, 0}, {"<a", "ab", 0, kNone}, {"<a><a>", "a", 1, 3}, {"<a><a>", "a", 3, 3},
      {"<a>", "a", 3, kNone}, {"<a>", "a", -1, kNone}, {"no tags", "", 0, kNone},
      {"<[x", "{x", 0, kNone}, {"< a>", "a", 0, kNone}, {"</SCRIPT>", "/script", 0, 0}};
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& [page, name, from, expected] : cases) {
      const BothForms text(page);
      EXPECT_EQ(FindTag(text.View(width), name, At(from, width)), At(expected, width))
          << page << " / " << name << " width " << width;
    }
  }
  // U+3C3C holds two '<' bytes; U+013C has '<' as its low byte.
  const auto units = Utf16Units("", {0x3C3C, 0x013C, '<', 'a'});
  EXPECT_EQ(FindTag(Utf16View(units), "a", 0), 4);
  EXPECT_EQ(FindTag(Utf16View(units), "", 0), 4);
}

// A blank is not a control character.
TEST(NextAfterTag, SkipsGreaterThanFollowedByEqualsAndTrailingControls) {
  // clang-format off
  const std::tuple<std::string, Pos, Pos> cases[] = {
      {"<a title=\"x>=y\" href=z>next", 0, 23}, {"<a>=<b>c", 0, 7}, {"<a>\r\n\tb", 0, 6},
      {"<a> b", 0, 3}, {"<a>", 0, kNone}, {"<a>\r\n", 0, kNone}, {"<a", 0, kNone},
      {"<a>b<c>d", 3, 7}, {"<a>b", -4, kNone}, {"<a>b", 9, kNone}, {"<a>=", 0, kNone}};
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& [page, from, expected] : cases) {
      const BothForms text(page);
      EXPECT_EQ(NextAfterTag(text.View(width), At(from, width)), At(expected, width))
          << page << " width " << width;
    }
  }
}

// Rows: a needle that runs past the end, or would cross `end`, is not found; a stop character
// may be part of the match, and one met while comparing stops too.
TEST(FindText, StopModes) {
  using enum StopMode;
  struct Case {
    std::string text;
    Pos expected;
    StopMode mode = None;
    std::string needle = "http";
    Pos from = 0, end = kEnd;  // kEnd: the whole text
  };
  // clang-format off
  const Case cases[] = {
      {"xx HTTP://a", 3, None, "http://"}, {"HtTp", 0, None, "hTtP"},
      {"http http", 5, None, "http", 1}, {"abc", 1, None, "", 1}, {"xhtt", kNone},
      {"abc http", kNone, None, "http", 0, 5}, {"abc http", 4, None, "http", 0, 500},
      {"abc http", kNone, None, "http", 0, 6}, {"a<b\"'\\ http", 7}, {"ab<c http", kNone, LessThan},
      {"ab<=c http", 6, LessThan}, {"ab>c http", 5, LessThan}, {"x<a", 1, LessThan, "<a"},
      {"x<b", kNone, LessThan, "<a"}, {"a>b http", kNone, GreaterThan},
      {"a>=b http", 5, GreaterThan}, {"a<b http", 4, GreaterThan},
      {"ab\" http", kNone, DoubleQuote}, {"ab' http", 4, DoubleQuote},
      {"x\"y", kNone, DoubleQuote, "\"y"}, {"h\"ttp http", kNone, DoubleQuote},
      {"ab\" http", 4, DoubleQuote, "http", 3}, {"ab' http", kNone, Apostrophe},
      {"ab\" http", 4, Apostrophe}, {"a\\\"b http", kNone, EscapedDoubleQuote},
      {"a\\b http", 4, EscapedDoubleQuote}, {"a\"b http", 4, EscapedDoubleQuote},
      {"a\\'b http", 5, EscapedDoubleQuote}, {"a\\'b http", kNone, EscapedApostrophe},
      {"a\\\"b http", 5, EscapedApostrophe}, {"a b http", kNone, Blank}, {"ab\thttp", 3, Blank},
      {"http x", kNone, Blank, "http x"}};
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const BothForms text(c.text);
      const TextView t = text.View(width);
      const Pos end = c.end == kEnd ? t.Size : At(c.end, width);
      EXPECT_EQ(FindText(t, end, c.needle, At(c.from, width), c.mode), At(c.expected, width))
          << c.text << " / " << c.needle << " mode " << static_cast<int>(c.mode) << " width "
          << width;
    }
  }
}

struct ValueCase {
  std::string text;
  ValueMode mode;
  std::string value;
  int span;
  QuoteKind kind;
  Pos pos = 0;
};

// The quote's length goes with its kind; the outputs are optional.
void CheckValue(const ValueCase& c, int width) {
  const BothForms text(c.text);
  std::string value = "stale";
  int span = -1, quote = -1;
  QuoteKind kind = PAR;
  const Pos pos = At(c.pos, width);
  const int n = ExtractValue(text.View(width), pos, &value, c.mode, &span, &quote, &kind);
  EXPECT_EQ(
      std::tuple(value, n, span, quote, kind),
      std::tuple(c.value, static_cast<int>(c.value.size()), c.span, QuoteLength(c.kind), c.kind))
      << "[" << c.text << "] width " << width;
  EXPECT_EQ(ExtractValue(text.View(width), pos, nullptr, c.mode, nullptr, nullptr), n);
}

// Rows, by mode: a value that ends in no closing quote, or runs out unquoted, is nothing; quote
// tests go in sequence; the tag-attribute mode ends every kind at a '<' or '>' not followed by
// '='; the style mode has no end of its own, and a '(' in it is a quote closed by ')'; the
// rewriter's mode ends only at a '>' not followed by '='; the tag-name mode at any '>' and a blank.
TEST(ExtractValue, QuotesSpansAndEnds) {
  // clang-format off
  const ValueCase cases[] = {
      {"\"a b.htm\">", kTA, "a b.htm", 9, DQ}, {"a.htm> ", kTA, "a.htm", 5, U},
      {"\"abc", kTA, "", 0, DQ}, {"abc", kTA, "", 0, U}, {"\"a\r\nb.htm\">", kTA, "ab.htm", 10, DQ},
      {"<a href=\"x.htm\">", kTA, "x.htm", 7, DQ, 8}, {"'a.htm' x", kTA, "a.htm", 7, AP},
      {"'a\"b' x", kTA, "a\"b", 5, AP}, {"\\\"a b\\\" x", kTA, "a b", 7, EDQ},
      {"\\'a\"b\\' x", kTA, "a\"b", 7, EAP}, {"\\\"a\"b\\\" x", kTA, "a\"b", 7, EDQ},
      {"\"'x'\" ", kTA, "x", 4, AP}, {"\"\"x ", kTA, "", 2, DQ}, {"a.htm b", kTA, "a.htm", 5, U},
      {"a\"b ", kTA, "a", 1, U}, {"a'b ", kTA, "a", 1, U}, {"a\\\"b ", kTA, "a", 1, U},
      {"a\\'b ", kTA, "a", 1, U}, {"a\\b.htm x", kTA, "a\\b.htm", 7, U},
      {"a\tb c", kTA, "ab", 3, U}, {std::string("a\0b ", 4), kTA, "a", 1, U},
      {std::string("\"a\0b\" ", 6), kTA, "a", 2, DQ}, {"a<b ", kTA, "a", 1, U},
      {"a<=b x", kTA, "a<=b", 4, U}, {"a>=b> ", kTA, "a>=b", 4, U}, {"\"a>b\" ", kTA, "a", 2, DQ},
      {"(x.gif) x", kTA, "(x.gif)", 7, U}, {"(x.gif) ", kStyle, "x.gif", 7, PAR},
      {"(\"x.gif\") ", kStyle, "\"x.gif\"", 9, PAR}, {"(a>b c) ", kStyle, "a>b c", 7, PAR},
      {"\"x.gif\") ", kStyle, "x.gif", 7, DQ}, {"x.gif) x", kStyle, "x.gif)", 6, U},
      {"(x.gif", kStyle, "", 0, PAR}, {"a<b> ", kRewriter, "a<b", 3, U},
      {"a>=b> ", kRewriter, "a>=b", 4, U}, {"<IMG src=x>", kName, "<IMG", 4, U},
      {"<br>x", kName, "<br", 3, U}, {"<a>=b ", kName, "<a", 2, U}, {"<a\n b>", kName, "<a", 3, U},
      {"abc ", kTA, "", 0, U, -1}, {"abc ", kTA, "", 0, U, -2}, {"abc ", kTA, "", 0, U, 4},
      {"abc ", kTA, "", 0, U, 100}};  // outside the text: nothing
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& c : cases)
      CheckValue(c, width);
  }
  // The last character ends a value in single-byte text; in UTF-16 it reads as '_': runs out.
  const ValueCase endsAtLast[] = {{"a.htm>", kTA, "a.htm", 5, U},
                                  {"(x.gif)", kStyle, "x.gif", 7, PAR},
                                  {"\"x\"", kTA, "x", 3, DQ}};
  for (const auto& c : endsAtLast) {
    CheckValue(c, 1);
    CheckValue({c.text, c.mode, "", 0, c.kind}, 2);
  }
}

// Where the quick reading of a quoted plain value says yes, it reads what ExtractValue reads;
// at every place of texts made of quotes, backslashes, brackets, controls and plain runs.
TEST(PlainQuotedValue, ReadsWhatExtractValueReads) {
  const std::vector<std::string> pieces = {"\"",
                                           "'",
                                           "\\",
                                           "(",
                                           ")",
                                           "<",
                                           ">",
                                           "=",
                                           " ",
                                           "\t",
                                           "\x01",
                                           "a",
                                           "b",
                                           "x.htm",
                                           "%20",
                                           "&amp;",
                                           "\xC3\xA9",
                                           std::string(1, '\0'),
                                           "abcdefghijklmnopqrstuvwxyz"};
  std::mt19937 rng(7);
  int quick = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    for (int i = 1 + static_cast<int>(rng() % 12); i > 0; --i)
      s += pieces[rng() % pieces.size()];
    const TextView text = testing::AnsiView(s);
    for (Pos at = -1; at <= text.Size; ++at) {
      std::string_view content;
      if (!PlainQuotedValue(text, at, content)) continue;
      ++quick;
      std::string value;
      int span = 0;
      int quote = 0;
      ExtractValue(text, at, &value, ValueMode::TagAttribute, &span, &quote);
      ASSERT_EQ(std::tuple(std::string(content), static_cast<int>(content.size()) + 2, 1),
                std::tuple(value, span, quote))
          << "text '" << s << "' at " << at;
    }
  }
  EXPECT_GT(quick, 500);
  std::string_view content;
  const std::vector<std::uint8_t> wide = Utf16Units("\"a\"", {});
  EXPECT_FALSE(PlainQuotedValue(testing::Utf16View(wide), 0, content));
}

// UTF-16 values are written in the code page; lone surrogates (a high one last in the text too)
// and a pair split by a skipped control are no characters. After a stray last byte a value whose
// closing quote is the last whole unit runs out. `at`: the span of ExtractValue from 0 or, with
// `attribute`, the position of FindAttribute's href from 4.
TEST(Primitives, Utf16ValuesInTheCodePage) {
  struct Case {
    std::vector<std::uint8_t> units;
    CodePage cp;
    std::string value;
    Pos at;
    bool attribute = false;
    ValueMode mode = kStyle;
  };
  const auto stray = [](std::string_view ascii, char last) {
    auto units = Utf16Units(ascii, {});
    units.push_back(static_cast<std::uint8_t>(last));
    return units;
  };
  constexpr auto kUtf8 = CodePage::Utf8, k1252 = CodePage::Windows1252;
  // clang-format off
  const Case cases[] = {
      {Utf16Units("\"é€😀.htm\" ", {}), kUtf8, "é€😀.htm", 10},
      {Utf16Units("\"é€😀.htm\" ", {}), k1252, "\xE9\x80__.htm", 10},
      {Utf16Units("(Ā) ", {}), k1252, "_", 3},
      {Utf16Units("\"", {0xD800, 'x', 0xDC00, '"', ' '}), kUtf8, "_x_", 5},
      {Utf16Units("\"", {0xDBFF, '"', ' '}), kUtf8, "_", 3},
      {Utf16Units("\"", {0xD83D, '\n', 0xDE00, '"', ' '}), kUtf8, "__", 5},
      {Utf16Units("\"", {0xDE00, 0xD83D, '"', ' '}), kUtf8, "__", 4},
      {stray("\"abc\" ", ' '), kUtf8, "abc", 5, false, kTA},
      {stray("\"abc\"", ' '), kUtf8, "", 0, false, kTA},
      {Utf16Units("<a title=\"é\" href=\"é€😀.htm\">", {}), kUtf8, "é€😀.htm", 36, true},
      {Utf16Units("<a href=", {0xDC00, 'x', 0xD800, '>'}), kUtf8, "_x_", 16, true},
      {Utf16Units("<a href=x", {0xD800}), kUtf8, "x_", 16, true},
      {stray("<a href=xy", '>'), kUtf8, "xy", 16, true},
      {stray("<a title=", '"'), kUtf8, "", kNone, true}};
  // clang-format on
  for (const auto& c : cases) {
    TextView t = Utf16View(c.units);
    t.CodePage = c.cp;
    std::string value;
    Pos at = 12345;
    int span = 0;
    const int n = c.attribute ? FindAttribute(t, "href", 4, &value, &at, false)
                              : ExtractValue(t, 0, &value, c.mode, &span, nullptr);
    EXPECT_EQ(std::tuple(value, n, c.attribute ? at : span),
              std::tuple(c.value, static_cast<int>(c.value.size()), c.at));
  }
}

struct AttributeCase {
  std::string text, value;
  Pos valuePos;  // kNone when no value was reached
  std::string name = "href";
  Pos from = 2;
};

// Rows: the tag ends at a '>' or '<', or where a quote never closes; an empty value; whole names
// only (a longer name is another attribute); values end as in ExtractValue, or at the end of the
// text; an empty quoted value is read on up to the next closing quote or the tag's end; a name
// with blanks, as in the comment of a saved page.
TEST(FindAttribute, ReadsTheNamedAttributeOfOneTag) {
  // clang-format off
  const AttributeCase cases[] = {
      {"<a href=\"x.htm\">", "x.htm", 8}, {"<a HREF='x.htm'>", "x.htm", 8},
      {"<A href=x.htm>", "x.htm", 8, "HREF"}, {"<a href = \"x.htm\">", "x.htm", 10},
      {"<a\r\n\thref=x>", "x", 10}, {"<a title=\"a b\" href=x>", "x", 20},
      {"<a title=\"href=y\" href=x>", "x", 23}, {"<a title='it\"s' href=x>", "x", 21},
      {"<a onclick=\\\"f( g)\\\" href=x>", "x", 26}, {"<a onclick=\\'f( g)\\' href=x>", "x", 26},
      {"<a title=\"x>y\" href=z>", "z", 20}, {"<a title=x>= href=y>", "y", 18},
      {"<a title=x> href=y>", "", kNone}, {"<a title=x <b href=y>", "", kNone},
      {"<a title=\"open href=x>", "", kNone}, {"<a title=\\\"open href=x>", "", kNone},
      {"<a>", "", kNone}, {"<a  ", "", kNone}, {"<a href>", "", kNone}, {"<a href x=y>", "", kNone},
      {"<a href<b=1>", "", kNone}, {"<a href=>", "", 8}, {"<a href=", "", kNone},
      {"<a href=x>", "", kNone, "href", 20}, {std::string("<a href= \0x>", 12), "", kNone},
      {std::string("<a \0 href=x>", 12), "", kNone}, {"<a href=x>", "", kNone, "href", -1},
      {"<a targetx=1 target=_top>", "_top", 20, "target"}, {"<a hrefx href=y>", "y", 14},
      {"<a href-lang=\"a b\" href=z>", "z", 24}, {"<a hreflang=en>", "", kNone},
      {"<a xhref=y>", "", kNone}, {"<a hr ef=y>", "", kNone}, {"<a href=a\"b>", "a", 8},
      {"<a href=a b>", "a", 8}, {"<a href=\"a b\">", "a b", 8}, {"<a href='a\"b'>", "a\"b", 8},
      {"<a href=\\\"a b\\\">", "a b", 8}, {"<a href=\"a\tb\r\nc\">", "abc", 8},
      {"<a href=\"abc", "abc", 8}, {"<a href=abc", "abc", 8}, {"<a href=\"a<b\">", "a", 8},
      {"<a href=\"a>=b\">", "a>=b", 8}, {"<a href=''>", "'", 8},
      {"<a href=\"\" target=x>", "\" target=x", 8}, {"<a href=\"\" title=\"t\">", "\" title=", 8},
      {"<a href=\\\"\\\" x=\\\"y\\\">", "\\\" x=", 8},
      {"<!-- saved from url=(0012)http://x.io/ -->", "(0012)http://x.io/", 20, "saved from url", 4},
      {"<!-- saved from urn=(0022)x saved from url=y -->", "y", 43, "saved from url", 4}};
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& c : cases) {
      const BothForms text(c.text);
      std::string value = "stale";
      Pos valuePos = 12345;
      const Pos from = At(c.from, width);
      const int n = FindAttribute(text.View(width), c.name, from, &value, &valuePos, false);
      EXPECT_EQ(std::tuple(value, n, valuePos),
                std::tuple(c.value, static_cast<int>(c.value.size()), At(c.valuePos, width)))
          << "[" << c.text << "] width " << width;
      EXPECT_EQ(FindAttribute(text.View(width), c.name, from, nullptr, nullptr, false), n);
    }
  }
  // With prefixOnly, any name that begins with the name is reported.
  // clang-format off
  const std::pair<std::string, bool> prefixes[] = {
      {"<a onclick=f()>", true}, {"<a href=x ONMOUSEOVER='g()'>", true}, {"<a on>", true},
      {"<a href=x>", false}, {"<a title=\"onclick\" href=x>", false}, {"<a xon=1>", false},
      {"<a> <b onclick=x>", false}, {"<a href=x", false}};
  // clang-format on
  for (int width : {1, 2}) {
    for (const auto& [page, found] : prefixes) {
      const BothForms text(page);
      EXPECT_EQ(FindAttribute(text.View(width), "on", At(2, width), nullptr, nullptr, true) != 0,
                found)
          << page << " width " << width;
    }
  }
}

TEST(SplitPath, SplitsAtTheLastSeparatorOfEachStyle) {
  using enum PathStyle;
  // Style, path, folder, file name, base name, extension.
  // clang-format off
  const std::tuple<PathStyle, std::string, std::string, std::string, std::string, std::string>
      cases[] = {
      {Windows, R"(C:\site\index.htm)", R"(C:\site)", "index.htm", "index", "htm"},
      {Windows, R"(C:\x.htm)", R"(C:\)", "x.htm", "x", "htm"},
      {Windows, R"(C:\a\)", R"(C:\a)", "", "", ""},
      {Windows, R"(C:\my.site\index)", R"(C:\my.site)", "index", "index", ""},
      {Windows, R"(C:\a\x.tar.gz)", R"(C:\a)", "x.tar.gz", "x.tar", "gz"},
      {Windows, R"(C:\a\.htaccess)", R"(C:\a)", ".htaccess", "", "htaccess"},
      {Windows, R"(C:\a\x.)", R"(C:\a)", "x.", "x", ""},
      {Windows, "index.htm", "", "index.htm", "index", "htm"},
      {Windows, "C:/a/b.htm", "C:/a", "b.htm", "b", "htm"},
      {Windows, "C:/b.htm", R"(C:\)", "b.htm", "b", "htm"},
      {Windows, R"(C:\a/b.htm)", R"(C:\)", "a/b.htm", "a/b", "htm"},
      {Windows, R"(\x.htm)", "", "x.htm", "x", "htm"}, {Windows, "", "", "", "", ""},
      {Posix, "/x.htm", "/", "x.htm", "x", "htm"},
      {Posix, "site/a.b/c.d.htm", "site/a.b", "c.d.htm", "c.d", "htm"},
      {Posix, "x.htm", "", "x.htm", "x", "htm"}, {Posix, "/a/", "/a", "", "", ""},
      {Posix, R"(C:\x.htm)", "", R"(C:\x.htm)", R"(C:\x)", "htm"}};
  // clang-format on
  for (const auto& [style, path, folder, fileName, baseName, extension] : cases) {
    std::string f = "?", n = "?", b = "?", e = "?";
    SplitPath(path, style, &f, &n, &b, &e);
    EXPECT_EQ(std::tuple(f, n, b, e, FolderOf(path, style), ExtensionOf(path, style)),
              std::tuple(folder, fileName, baseName, extension, folder, extension))
        << path;
  }
}

TEST(AppendUtf8, EveryLength) {
  // clang-format off
  const std::pair<char32_t, std::string> cases[] = {
      {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  // clang-format on
  for (const auto& [cp, utf8] : cases) {
    std::string out = "x";
    AppendUtf8(out, cp);
    EXPECT_EQ(out, "x" + utf8) << static_cast<unsigned>(cp);
  }
}

TEST(DetectEncoding, ReadsTheByteOrderMarkOfRealFiles) {
  TempDir dir;
  PosixFileSystem fs;
  // clang-format off
  const std::pair<std::string, FileEncoding> cases[] = {
      {std::string("\xFF\xFE<\0a\0", 6), FileEncoding::Utf16Le},
      {std::string("\xFE\xFF\0<\0a", 6), FileEncoding::Utf16Be},
      {"\xFF\xFE", FileEncoding::Utf16Le}, {"\xFE\xFF", FileEncoding::Utf16Be},
      {"\xFF", FileEncoding::Ansi}, {"\xFE", FileEncoding::Ansi}, {"", FileEncoding::Ansi},
      {"<html>", FileEncoding::Ansi}, {"\xEF\xBB\xBF<html>", FileEncoding::Ansi},
      {"\xFE\xFE", FileEncoding::Ansi}};
  // clang-format on
  int n = 0;
  for (const auto& [bytes, expected] : cases) {
    const std::string path = dir.Write(std::to_string(n++) + ".htm", bytes);
    EXPECT_EQ(DetectEncoding(fs, path), expected) << ::testing::PrintToString(bytes);
  }
  // Files that cannot be read are single-byte: a missing one, a folder.
  EXPECT_EQ(DetectEncoding(fs, dir / "missing.htm"), FileEncoding::Ansi);
  EXPECT_EQ(DetectEncoding(fs, dir.MakeDir("folder.htm")), FileEncoding::Ansi);
}

// ---- URL string operations in both path styles, and what a stored replacement means ----------

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;
constexpr bool kToUrl = true, kToPath = false;

// The region starts after "://" (the third slash of a file URL included), else at the '\' of the
// first ":\" (so a drive's colon is not in it); the scheme part is kept. POSIX style: backslashes
// become '/' either way, '|' and ':' stay. Up to a given length; one beyond the text is harmless.
TEST(ConvertSeparators, ConvertsOnlyTheRegionAfterSchemeOrDrive) {
  struct Case {
    PathStyle style;
    bool toUrl;
    std::string input, expected;
    std::size_t len = std::string::npos;
  };
  // clang-format off
  const Case cases[] = {
      {kWin, kToUrl, "file:///D:\\a\\b.htm", "file:///D|/a/b.htm"},
      {kWin, kToPath, "D:/a/b.htm", "D:\\a\\b.htm"}, {kWin, kToUrl, "D:\\a\\b.htm", "D:/a/b.htm"},
      {kWin, kToPath, "file:///D|/a/b.htm?x=a/b#c/d", "file://\\D:\\a\\b.htm?x=a/b#c/d"},
      {kWin, kToPath, "file:///D|/a/b.htm#c/d?e", "file://\\D:\\a\\b.htm#c/d?e"},
      {kWin, kToUrl, "http://h/a:b\\c", "http://h/a|b/c"},
      {kWin, kToUrl, "img\\a.gif", "img/a.gif"}, {kWin, kToPath, "img/a|b.gif", "img\\a:b.gif"},
      {kWin, kToUrl, "a:\\b:c", "a:/b|c"}, {kWin, kToPath, "http://x/a", "http://x\\a"},
      {kWin, kToUrl, "", ""}, {kWin, kToUrl, "#a\\b", "#a\\b"},
      {kPosix, kToUrl, "file:///home/u/a\\b.htm", "file:///home/u/a/b.htm"},
      {kPosix, kToPath, "C:\\x|y:z", "C:/x|y:z"}, {kPosix, kToUrl, "C:\\x|y:z", "C:/x|y:z"},
      {kPosix, kToPath, "a\\b?c\\d", "a/b?c\\d"}, {kPosix, kToUrl, "a\\b#c\\d", "a/b#c\\d"},
      {kPosix, kToUrl, "http:\\\\h\\x://y\\z", "http:\\\\h\\x://y/z"},
      {kWin, kToPath, "a/b/c", "a\\b/c", 2}, {kWin, kToUrl, "a\\b\\c", "a/b/c", 100},
      {kWin, kToUrl, "x://a\\b", "x://a\\b", 3}};
  // clang-format on
  for (const auto& c : cases) {
    std::string s = c.input;
    c.len == std::string::npos ? ConvertSeparators(s, c.toUrl, c.style)
                               : ConvertSeparators(s, c.len, c.toUrl, c.style);
    EXPECT_EQ(s, c.expected) << c.input;
  }
}

// Folders are compared ignoring ASCII case: D:\s\a\ and D:\s\ab\ share D:\s\ only, /sa/ and /sb/
// nothing beyond the root (so the result is absolute), a page in the root climbs over nothing;
// paths without a folder are in the same (empty) folder. Quoted targets keep their quotes, and
// a file URL target is used from its path on.
TEST(MakeRelativePath, BothFormsInBothStyles) {
  // Style, page, target, URL form, path form ("": the same as the URL form).
  // clang-format off
  const std::tuple<PathStyle, std::string, std::string, std::string, std::string> cases[] = {
      {kWin, "D:\\s\\a\\p.htm", "D:\\s\\b\\i.gif", "../b/i.gif", "..\\b\\i.gif"},
      {kWin, "D:\\s\\p.htm", "D:\\s\\i.gif", "i.gif", ""},
      {kWin, "D:\\s\\p.htm", "E:\\i.gif", "file:///E|/i.gif", "E:\\i.gif"},
      {kWin, "D:\\s\\a\\p.htm", "D:\\s\\ab\\i.gif", "../ab/i.gif", "..\\ab\\i.gif"},
      {kWin, "D:\\s\\p.htm", "D:\\s\\img\\x\\i.gif", "img/x/i.gif", "img\\x\\i.gif"},
      {kWin, "D:\\s\\a\\b\\c\\p.htm", "D:\\s\\i.gif", "../../../i.gif", "..\\..\\..\\i.gif"},
      {kWin, "D:\\S\\A\\p.htm", "d:\\s\\a\\sub\\i.gif", "sub/i.gif", "sub\\i.gif"},
      {kWin, "D:\\p.htm", "D:\\img\\i.gif", "img/i.gif", "img\\i.gif"},
      {kWin, "D:/s/a/p.htm", "D:/s/b/i.gif", "../b/i.gif", "..\\b\\i.gif"},
      {kWin, "D:\\s\\p.htm", "\"D:\\s\\my pic.gif\"", "\"my pic.gif\"", ""},
      {kWin, "D:\\s\\p.htm", "\"E:\\i.gif\"", "\"file:///E|/i.gif\"", "\"E:\\i.gif\""},
      {kWin, "p.htm", "i.gif", "i.gif", ""}, {kPosix, "/s/a/p.htm", "/s/b/i.gif", "../b/i.gif", ""},
      {kPosix, "/s/ab/p.htm", "/s/a/i.gif", "../a/i.gif", ""},
      {kPosix, "/sa/p.htm", "/sb/i.gif", "file:///sb/i.gif", "/sb/i.gif"},
      {kPosix, "/S/A/p.htm", "/s/a/i.gif", "i.gif", ""},
      {kPosix, "/p.htm", "/srv/i.gif", "srv/i.gif", ""},
      {kPosix, "/home/u/site/p.htm", "file:///home/u/site/img/a.gif", "img/a.gif", ""},
      {kPosix, "/s/a/p.htm", "\"/s/b/i.gif\"", "\"../b/i.gif\"", ""},
      {kPosix, "/h/p.htm", "\"/v/my p.gif\"", "\"file:///v/my p.gif\"", "\"/v/my p.gif\""}};
  // clang-format on
  for (const auto& [style, page, target, urlForm, pathForm] : cases) {
    EXPECT_EQ(std::pair(MakeRelativePath(page, target, true, style),
                        MakeRelativePath(page, target, false, style)),
              std::pair(urlForm, pathForm.empty() ? urlForm : pathForm))
        << page << " -> " << target;
  }
}

// The fuzz target checks that the parts make up the text and the fragment starts at a '#'.
TEST(SplitFragment, SplitsAtTheFirstHash) {
  std::string before, fragment;
  SplitFragment("a#b#c", &before, &fragment);
  EXPECT_EQ(before + "|" + fragment, "a|#b#c");
}

struct CountCase {
  std::string input, expected;
  int count;
  CodePage cp = CodePage::Windows1252;
};

// Rows: decoded once only; entities in the letter case of the table and with their semicolon
// only; numeric references are not decoded. Entities are UTF-8 in the UTF-8 code page, percent
// escapes always the raw byte; a decoded NUL ends the text.
TEST(DecodeUrl, EscapesAndEntities) {
  constexpr auto kUtf8 = CodePage::Utf8;
  // clang-format off
  const CountCase cases[] = {
      {"a%2Fb", "a/b", 1}, {"a%2fb", "a/b", 1}, {"a%2", "a%2", 0}, {"a%zz", "a%zz", 0},
      {"a%2g", "a%2g", 0}, {"100%", "100%", 0}, {"%4A%6b", "Jk", 2}, {"%2541", "%41", 1},
      {"caf&eacute;.htm", "caf\xE9.htm", 1}, {"&AMP;", "&AMP;", 0}, {"&amp", "&amp", 0},
      {"&amp;amp;", "&amp;", 1}, {"&amp;&lt;&gt;&quot;", "&<>\"", 4}, {"a&b", "a&b", 0},
      {"&#233;", "&#233;", 0}, {"&euro;", "&euro;", 0}, {"", "", 0}, {"%E9&eacute;", "\xE9\xE9", 2},
      {"&&amp;", "&&", 1}, {"&nbsp;&yuml;", "\xA0\xFF", 2},
      {"&ETH;&eth;&times;", "\xD0\xF0\xD7", 3}, {"&iexcl;&THORN;&szlig;&divide;", "\xA1\xDE\xDF\xF7", 4},
      {"caf&eacute;.htm", "caf\xC3\xA9.htm", 1, kUtf8}, {"a&nbsp;", "a\xC2\xA0", 1, kUtf8},
      {"&amp;&quot;", "&\"", 2, kUtf8}, {"caf%C3%A9%E9", "caf\xC3\xA9\xE9", 3, kUtf8},
      {"ab%00cd%41", "ab", 2, kUtf8}, {"%00", "", 1, kUtf8},
      {"&yuml;&Agrave;&copy;", "\xC3\xBF\xC3\x80\xC2\xA9", 3, kUtf8}};
  // clang-format on
  for (const auto& c : cases) {
    std::string out = "junk";
    // The UTF-8 rows go through the default code page.
    const int n =
        c.cp == CodePage::Utf8 ? DecodeUrl(c.input, &out) : DecodeUrl(c.input, &out, c.cp);
    EXPECT_EQ(std::pair(n, out), std::pair(c.count, c.expected)) << c.input;
  }
}

// Rows: a '%' is kept only where it starts an escape; controls, DEL and the unsafe ASCII bytes
// are escaped, every other byte (above 0x7F too) is kept.
TEST(EscapeUrl, UnsafeBytesAndPercentSigns) {
  // clang-format off
  const CountCase cases[] = {
      {"a b%20c%zz", "a%20b%20c%25zz", 2}, {"", "", 0}, {"%", "%25", 1}, {"%4", "%254", 1},
      {"%4g", "%254g", 1}, {"%4A", "%4A", 0}, {"%4a%", "%4a%25", 1}, {"%%41", "%25%41", 1},
      {"a%2", "a%252", 1}, {"http://h/a?b=1&c=2#f|x:y", "http://h/a?b=1&c=2#f|x:y", 0},
      {std::string("\0\x01\x1F \"'<>[]\\^{}~\x7F", 16),
       "%00%01%1F%20%22%27%3C%3E%5B%5D%5C%5E%7B%7D%7E%7F", 16},
      {"!$()*+,-./09;=@AZ_`az\x80\xFF", "!$()*+,-./09;=@AZ_`az\x80\xFF", 0}};
  // clang-format on
  for (const auto& c : cases) {
    std::string out = "junk";
    const int n = EscapeUrl(c.input, &out);
    EXPECT_EQ(std::pair(n, out), std::pair(c.count, c.expected)) << c.input;
  }
}

// WhatUrlNeeds agrees with EscapeUrl and with the '&' and '%' that DecodeUrl looks for: every
// byte at every place of a text longer than a block, and percent escapes across block ends.
TEST(WhatUrlNeeds, AgreesWithEscapeAndDecode) {
  const auto check = [](const std::string& s) {
    const UrlNeeds needs = WhatUrlNeeds(s);
    ASSERT_EQ(needs.Escaping, EscapeUrl(s, nullptr) > 0) << s;
    ASSERT_EQ(needs.Decoding, s.find_first_of("&%") != std::string::npos) << s;
  };
  for (unsigned v = 0; v < 256; ++v) {
    for (const std::size_t at : {0, 7, 15, 16, 31, 33}) {
      std::string s(34, 'a');
      s[at] = static_cast<char>(v);
      check(s);
    }
  }
  for (const std::size_t at : {13, 14, 15, 16, 31}) {
    std::string s(34, 'b');
    s.replace(at, 3, "%4F");
    check(s);
    check(s.substr(0, at + 2));
  }
}

// An empty mask or text matches, and text after the last literal; letter case is exact; of
// adjacent '*' and '?' runs only the last counts ("*?x": x one further on; "?*x": the '?' is
// dropped); trailing wildcards accept whatever remains, even nothing; literals after '*' take
// their first occurrence (no backtracking); alternatives each start at the beginning of the text,
// and an empty one matches.
TEST(MatchUrlMask, Cases) {
  // clang-format off
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"abc", "a?c", true}, {"acx", "a?c", false}, {"x.gif", "*.jpg;*.gif", true},
      {"x.png", "*.jpg;*.gif", false}, {"abc", "abc*def", false}, {"abcxdef", "abc*def", true},
      {"anything", "", true}, {"", "abc", true}, {"x.gif.htm", "*.gif", true},
      {"x.gif", "*.GIF", false}, {"abcd", "a??d", true}, {"abd", "a??d", false},
      {"abcde", "a??e", false}, {"ax", "*?x", true}, {"abx", "*?x", false}, {"x", "?*x", true},
      {"abx", "?*x", true}, {"abcx", "?*??x", false}, {"abx", "?*??x", true}, {"abc", "abc*", true},
      {"abc", "abc?", true}, {"ab", "abc??", false}, {"aab", "*a*b", true},
      {"axyabc", "*a?c", false}, {"abc", "*a?c", true}, {"zy", "x*y;z", true},
      {"barn", "foo;bar", true}, {"baz", "foo;bar", false}, {"zzz", "a;", true},
      {"zzz", "a;;b", true}, {"ab", "a?b;ab", true}, {"ab", "??c;*b", true}};
  // clang-format on
  for (const auto& [text, mask, matches] : cases) {
    EXPECT_EQ(MatchUrlMask(text, mask), matches) << text << " / " << mask;
  }
  // Masks that would take exponential time with backtracking.
  const std::string text(200000, 'a');
  std::string mask;
  for (int i = 0; i < 2000; ++i)
    mask += "*a";
  mask += "*b";
  EXPECT_FALSE(MatchUrlMask(text, mask));
  EXPECT_FALSE(MatchUrlMask(text, mask.substr(0, 400) + "*b;" + mask.substr(0, 400) + "*c"));
  EXPECT_TRUE(MatchUrlMask(text + "b", mask));
}

// One quote is not a wrapped value; the outer quotes are taken before a mark.
TEST(ReplacementText, TakesTheStoredTextApartAndBuildsItAgain) {
  // Stored text, mark, value, quoted, deletion.
  // clang-format off
  const std::tuple<std::string, std::string, std::string, bool, bool> cases[] = {
      {":::\"_blank\"", ":::", "_blank", true, false}, {":::_top", ":::", "_top", false, false},
      {"|||page.htm", "|||", "page.htm", false, false},
      {"|||\"a b.htm\"", "|||", "a b.htm", true, false}, {"|||\"\"", "|||", "", true, false},
      {":::\"", ":::", "\"", false, false}, {":::", ":::", "", false, false},
      {"\"a b\"", "", "a b", true, false}, {"\":::x\"", "", ":::x", true, false},
      {"\"\"", "", "", true, true}, {"", "", "", false, true}, {"\"", "", "\"", false, false},
      {"abc", "", "abc", false, false}, {"::x", "", "::x", false, false},
      {"||", "", "||", false, false}, {"x\"y\"", "", "x\"y\"", false, false}};
  // clang-format on
  for (const auto& [stored, mark, value, quoted, deletion] : cases) {
    const ReplacementText r(stored);
    EXPECT_EQ(std::tuple(std::string(r.mark()), std::string(r.value()), r.quoted(), r.IsDeletion()),
              std::tuple(mark, value, quoted, deletion))
        << stored;
    EXPECT_EQ(std::tuple(r.IsQuotedDeletion(), r.IsTarget(), r.IsRelative()),
              std::tuple(stored == "\"\"", mark == ":::", mark == "|||"));
    EXPECT_EQ(std::string(r.mark()) + std::string(r.written()), stored);
    EXPECT_EQ(ReplacementText::Make(mark, value, quoted), stored);
  }
}

}  // namespace
}  // namespace urlsmith::testing
