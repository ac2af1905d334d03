// URL string operations in both path styles, and what a stored replacement means.
#include "text/url_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "text/primitives.h"
#include "text/replacement.h"

namespace urlsmith {
namespace {

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
      {"&ETH;&eth;&times;", "\xD0\xF0\xD7", 3},
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
}  // namespace urlsmith
