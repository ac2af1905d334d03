// URL string operations: separators, relative references, fragments, decoding, escaping and
// masks, in both path styles.
#include "text/url_ops.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace urlsmith {
namespace {

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;
constexpr bool kToUrl = true;
constexpr bool kToPath = false;

// ---- ConvertSeparators --------------------------------------------------------------------------

struct ConvertCase {
  PathStyle style;
  bool toUrl;
  std::string input;
  std::string expected;
};

TEST(ConvertSeparatorsTest, ConvertsOnlyTheRegionAfterSchemeOrDrive) {
  const std::vector<ConvertCase> cases = {
      // Windows style.
      {kWin, kToUrl, "file:///D:\\a\\b.htm", "file:///D|/a/b.htm"},
      {kWin, kToPath, "D:/a/b.htm", "D:\\a\\b.htm"},
      {kWin, kToUrl, "D:\\a\\b.htm", "D:/a/b.htm"},  // the drive colon lies before the region
      // The region is everything after "://", the third slash of a file URL included.
      {kWin, kToPath, "file:///D|/a/b.htm?x=a/b#c/d", "file://\\D:\\a\\b.htm?x=a/b#c/d"},
      {kWin, kToPath, "file:///D|/a/b.htm#c/d?e", "file://\\D:\\a\\b.htm#c/d?e"},
      {kWin, kToUrl, "http://h/a:b\\c", "http://h/a|b/c"},
      {kWin, kToUrl, "img\\a.gif", "img/a.gif"},
      {kWin, kToPath, "img/a|b.gif", "img\\a:b.gif"},
      {kWin, kToUrl, "a:\\b:c", "a:/b|c"},           // region starts at the '\' of the first ":\"
      {kWin, kToPath, "http://x/a", "http://x\\a"},  // the scheme part itself is kept
      {kWin, kToUrl, "", ""},
      {kWin, kToUrl, "#a\\b", "#a\\b"},
      // POSIX style: backslashes become '/' either way; '|' and ':' stay.
      {kPosix, kToUrl, "file:///home/u/a\\b.htm", "file:///home/u/a/b.htm"},
      {kPosix, kToPath, "file:///home/u/a\\b.htm", "file:///home/u/a/b.htm"},
      {kPosix, kToPath, "C:\\x|y:z", "C:/x|y:z"},
      {kPosix, kToUrl, "C:\\x|y:z", "C:/x|y:z"},
      {kPosix, kToPath, "a\\b?c\\d", "a/b?c\\d"},
      {kPosix, kToUrl, "a\\b#c\\d", "a/b#c\\d"},
      {kPosix, kToPath, "/s/a/b.htm", "/s/a/b.htm"},
      {kPosix, kToUrl, "http:\\\\h\\x://y\\z", "http:\\\\h\\x://y/z"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    std::string s = c.input;
    ConvertSeparators(s, c.toUrl, c.style);
    EXPECT_EQ(s, c.expected);
  }
}

TEST(ConvertSeparatorsTest, StopsAtTheGivenLength) {
  std::string s = "a/b/c";
  ConvertSeparators(s, 2, kToPath, kWin);
  EXPECT_EQ(s, "a\\b/c");

  std::string t = "a\\b\\c";
  ConvertSeparators(t, 100, kToUrl, kWin);  // a length beyond the text is harmless
  EXPECT_EQ(t, "a/b/c");

  std::string u = "x://a\\b";
  ConvertSeparators(u, 3, kToUrl, kWin);  // region starts after the length: nothing changes
  EXPECT_EQ(u, "x://a\\b");
}

// ---- MakeRelativePath ---------------------------------------------------------------------------

struct RelativeCase {
  PathStyle style;
  std::string from;
  std::string target;
  std::string urlForm;
  std::string pathForm;
};

TEST(MakeRelativePathTest, WindowsStyle) {
  const std::vector<RelativeCase> cases = {
      {kWin, "D:\\s\\a\\p.htm", "D:\\s\\b\\i.gif", "../b/i.gif", "..\\b\\i.gif"},
      {kWin, "D:\\s\\p.htm", "D:\\s\\i.gif", "i.gif", "i.gif"},
      {kWin, "D:\\s\\p.htm", "E:\\i.gif", "file:///E|/i.gif", "E:\\i.gif"},
      // Folders D:\s\a\ and D:\s\ab\ share D:\s\ only: one step up.
      {kWin, "D:\\s\\a\\p.htm", "D:\\s\\ab\\i.gif", "../ab/i.gif", "..\\ab\\i.gif"},
      {kWin, "D:\\s\\ab\\p.htm", "D:\\s\\a\\i.gif", "../a/i.gif", "..\\a\\i.gif"},
      {kWin, "D:\\s\\p.htm", "D:\\s\\img\\x\\i.gif", "img/x/i.gif", "img\\x\\i.gif"},
      {kWin, "D:\\s\\a\\b\\c\\p.htm", "D:\\s\\i.gif", "../../../i.gif", "..\\..\\..\\i.gif"},
      {kWin, "D:\\S\\A\\p.htm", "d:\\s\\a\\sub\\i.gif", "sub/i.gif", "sub\\i.gif"},
      {kWin, "D:\\p.htm", "D:\\i.gif", "i.gif", "i.gif"},  // drive roots
      {kWin, "D:\\p.htm", "D:\\img\\i.gif", "img/i.gif", "img\\i.gif"},
      {kWin, "D:/s/a/p.htm", "D:/s/b/i.gif", "../b/i.gif", "..\\b\\i.gif"},
      // Quoted targets keep their quotes; nothing comes between the quote and the name.
      {kWin, "D:\\s\\p.htm", "\"D:\\s\\my pic.gif\"", "\"my pic.gif\"", "\"my pic.gif\""},
      {kWin, "D:\\s\\a\\p.htm", "\"D:\\s\\b\\i.gif\"", "\"../b/i.gif\"", "\"..\\b\\i.gif\""},
      {kWin, "D:\\s\\p.htm", "\"E:\\i.gif\"", "\"file:///E|/i.gif\"", "\"E:\\i.gif\""},
      // Scoring examples of replacement suggestion (counted separators: 2, 2, 1).
      {kWin, "D:\\site\\a\\img\\logo.gif", "D:\\site\\a\\pics\\logo.gif", "../pics/logo.gif",
       "..\\pics\\logo.gif"},
      {kWin, "D:\\site\\a\\img\\logo.gif", "D:\\site\\logo.gif", "../../logo.gif",
       "..\\..\\logo.gif"},
      {kWin, "D:\\site\\a\\img\\logo.gif", "D:\\site\\a\\img\\sub\\logo.gif", "sub/logo.gif",
       "sub\\logo.gif"},
      // Paths without a folder are in the same (empty) folder.
      {kWin, "p.htm", "i.gif", "i.gif", "i.gif"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.target);
    EXPECT_EQ(MakeRelativePath(c.from, c.target, true, c.style), c.urlForm);
    EXPECT_EQ(MakeRelativePath(c.from, c.target, false, c.style), c.pathForm);
  }
}

TEST(MakeRelativePathTest, PosixStyle) {
  const std::vector<RelativeCase> cases = {
      {kPosix, "/s/a/p.htm", "/s/b/i.gif", "../b/i.gif", "../b/i.gif"},
      {kPosix, "/s/p.htm", "/s/i.gif", "i.gif", "i.gif"},
      {kPosix, "/home/a/p.htm", "/srv/i.gif", "file:///srv/i.gif", "/srv/i.gif"},
      {kPosix, "/s/a/p.htm", "/s/ab/i.gif", "../ab/i.gif", "../ab/i.gif"},
      {kPosix, "/s/ab/p.htm", "/s/a/i.gif", "../a/i.gif", "../a/i.gif"},
      // Folders /sa/ and /sb/ share a leading "/s" but no folder beyond the root.
      {kPosix, "/sa/p.htm", "/sb/i.gif", "file:///sb/i.gif", "/sb/i.gif"},
      {kPosix, "/home/u/site/p.htm", "/home/u/site/img/x/a.gif", "img/x/a.gif", "img/x/a.gif"},
      {kPosix, "/home/u/site/a/b/p.htm", "/home/u/site/i.gif", "../../i.gif", "../../i.gif"},
      {kPosix, "/S/A/p.htm", "/s/a/i.gif", "i.gif", "i.gif"},  // ASCII case is ignored
      // A page in the root: nothing to climb over.
      {kPosix, "/p.htm", "/i.gif", "i.gif", "i.gif"},
      {kPosix, "/p.htm", "/srv/i.gif", "srv/i.gif", "srv/i.gif"},
      // A file URL target is used from its path on.
      {kPosix, "/home/u/site/p.htm", "file:///home/u/site/img/a.gif", "img/a.gif", "img/a.gif"},
      // Quoted targets.
      {kPosix, "/s/p.htm", "\"/s/my pic.gif\"", "\"my pic.gif\"", "\"my pic.gif\""},
      {kPosix, "/s/a/p.htm", "\"/s/b/i.gif\"", "\"../b/i.gif\"", "\"../b/i.gif\""},
      {kPosix, "/home/a/p.htm", "\"/srv/my pic.gif\"", "\"file:///srv/my pic.gif\"",
       "\"/srv/my pic.gif\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.target);
    EXPECT_EQ(MakeRelativePath(c.from, c.target, true, c.style), c.urlForm);
    EXPECT_EQ(MakeRelativePath(c.from, c.target, false, c.style), c.pathForm);
  }
}

TEST(MakeRelativePathTest, LongPathsHaveNoLengthLimit) {
  std::string deep = "/s";
  for (int i = 0; i < 2000; ++i)
    deep += "/folder" + std::to_string(i);
  const std::string rel = MakeRelativePath(deep + "/p.htm", "/s/i.gif", true, kPosix);
  std::string expected;
  for (int i = 0; i < 2000; ++i)
    expected += "../";
  EXPECT_EQ(rel, expected + "i.gif");
}

// ---- SplitFragment ------------------------------------------------------------------------------

TEST(SplitFragmentTest, SplitsAtTheFirstHash) {
  const std::vector<std::array<std::string, 3>> cases = {
      {"a.htm#top", "a.htm", "#top"}, {"a.htm", "a.htm", ""},   {"#x", "", "#x"},
      {"a#b#c", "a", "#b#c"},         {"a.htm#", "a.htm", "#"}, {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    std::string before = "junk";
    std::string fragment = "junk";
    SplitFragment(c[0], &before, &fragment);
    EXPECT_EQ(before, c[1]);
    EXPECT_EQ(fragment, c[2]);
  }
  std::string before;
  SplitFragment("p.htm#f", &before, nullptr);
  EXPECT_EQ(before, "p.htm");
  std::string fragment;
  SplitFragment("p.htm#f", nullptr, &fragment);
  EXPECT_EQ(fragment, "#f");
}

// ---- DecodeUrl ----------------------------------------------------------------------------------

struct DecodeCase {
  std::string input;
  std::string expected;
  int count;
};

TEST(DecodeUrlTest, EscapesAndEntities) {
  const std::vector<DecodeCase> cases = {
      {"a%2Fb", "a/b", 1},
      {"a%2fb", "a/b", 1},
      {"a%2", "a%2", 0},
      {"a%zz", "a%zz", 0},
      {"a%2g", "a%2g", 0},
      {"%", "%", 0},
      {"100%", "100%", 0},
      {"%4A%6b", "Jk", 2},
      {"%2541", "%41", 1},  // decoded once only
      {"caf&eacute;.htm", "caf\xE9.htm", 1},
      {"&AMP;", "&AMP;", 0},  // letter case not as in the table
      {"&amp", "&amp", 0},    // no semicolon
      {"&amp;amp;", "&amp;", 1},
      {"&amp;&lt;&gt;&quot;", "&<>\"", 4},
      {"a&b", "a&b", 0},
      {"&#233;", "&#233;", 0},  // numeric references are not decoded
      {"&notin;", "&notin;", 0},
      {"&euro;", "&euro;", 0},
      {"plain.htm", "plain.htm", 0},
      {"", "", 0},
      {"%E9&eacute;", "\xE9\xE9", 2},
      {"&&amp;", "&&", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    std::string out = "junk";
    EXPECT_EQ(DecodeUrl(c.input, &out, CodePage::Windows1252), c.count);
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(DecodeUrl(c.input, nullptr, CodePage::Windows1252), c.count);
  }
}

TEST(DecodeUrlTest, EntitiesAreUtf8InTheUtf8CodePage) {
  std::string out;
  EXPECT_EQ(DecodeUrl("caf&eacute;.htm", &out, CodePage::Utf8), 1);
  EXPECT_EQ(out, "caf\xC3\xA9.htm");
  EXPECT_EQ(DecodeUrl("a&nbsp;b", &out), 1);  // UTF-8 is the default
  EXPECT_EQ(out,
            "a\xC2\xA0"
            "b");
  EXPECT_EQ(DecodeUrl("&amp;&quot;", &out), 2);  // ASCII entities stay single bytes
  EXPECT_EQ(out, "&\"");
  // Percent escapes always give the raw byte.
  EXPECT_EQ(DecodeUrl("caf%C3%A9%E9", &out), 3);
  EXPECT_EQ(out, "caf\xC3\xA9\xE9");
}

TEST(DecodeUrlTest, DecodedNulEndsTheText) {
  std::string out;
  EXPECT_EQ(DecodeUrl("ab%00cd%41", &out), 2);
  EXPECT_EQ(out, "ab");
  EXPECT_EQ(DecodeUrl("%00", &out), 1);
  EXPECT_EQ(out, "");
}

// The ISO 8859-1 entities from 0xA0 to 0xFF, in code order.
constexpr std::array<const char*, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

TEST(DecodeUrlTest, EveryEntityOfTheTable) {
  struct Row {
    std::string name;
    unsigned code;
  };
  std::vector<Row> rows = {{"quot", 0x22}, {"amp", 0x26}, {"lt", 0x3C}, {"gt", 0x3E}};
  for (unsigned i = 0; i < kLatin1Names.size(); ++i)
    rows.push_back({kLatin1Names[i], 0xA0 + i});
  ASSERT_EQ(rows.size(), 100u);

  for (const auto& row : rows) {
    const std::string entity = "&" + row.name + ";";
    SCOPED_TRACE(entity);
    std::string out;
    EXPECT_EQ(DecodeUrl("x" + entity + "y", &out, CodePage::Windows1252), 1);
    EXPECT_EQ(out, std::string("x") + static_cast<char>(row.code) + "y");

    std::string expectedUtf8(1, static_cast<char>(row.code));
    if (row.code >= 0x80) {
      expectedUtf8 = {static_cast<char>(0xC0 | (row.code >> 6)),
                      static_cast<char>(0x80 | (row.code & 0x3F))};
    }
    EXPECT_EQ(DecodeUrl(entity, &out, CodePage::Utf8), 1);
    EXPECT_EQ(out, expectedUtf8);

    // Without its semicolon the name stays as it is.
    const std::string unterminated = "&" + row.name;
    EXPECT_EQ(DecodeUrl(unterminated, &out, CodePage::Utf8), 0);
    EXPECT_EQ(out, unterminated);
  }
}

TEST(DecodeUrlTest, SpotChecksOfTheEntityTable) {
  const std::vector<std::pair<std::string, std::string>> latin1 = {
      {"&quot;", "\""},     {"&gt;", ">"},        {"&nbsp;", "\xA0"},         {"&copy;", "\xA9"},
      {"&iquest;", "\xBF"}, {"&Agrave;", "\xC0"}, {"&times;", "\xD7"},        {"&szlig;", "\xDF"},
      {"&divide;", "\xF7"}, {"&yuml;", "\xFF"},   {"&ETH;&eth;", "\xD0\xF0"},
  };
  for (const auto& [in, expected] : latin1) {
    SCOPED_TRACE(in);
    std::string out;
    DecodeUrl(in, &out, CodePage::Windows1252);
    EXPECT_EQ(out, expected);
  }
  std::string out;
  DecodeUrl("&yuml;&Agrave;&copy;", &out, CodePage::Utf8);
  EXPECT_EQ(out, "\xC3\xBF\xC3\x80\xC2\xA9");
}

// ---- EscapeUrl ----------------------------------------------------------------------------------

bool IsUnsafeByte(unsigned char c) {
  return c < 0x20 || c == 0x7F ||
         std::string_view(" \"'<>[]\\^{}~").find(static_cast<char>(c)) != std::string_view::npos;
}

TEST(EscapeUrlTest, Examples) {
  const std::vector<DecodeCase> cases = {
      {"a b%20c%zz", "a%20b%20c%25zz", 2},
      {"x.htm", "x.htm", 0},
      {"", "", 0},
      {"%", "%25", 1},
      {"%4", "%254", 1},
      {"%4g", "%254g", 1},
      {"%4A", "%4A", 0},
      {"%4a%", "%4a%25", 1},
      {"%%41", "%25%41", 1},
      {"a%2", "a%252", 1},
      {"\"my pic.gif\"", "%22my%20pic.gif%22", 3},
      {"http://h/a?b=1&c=2#f|x:y", "http://h/a?b=1&c=2#f|x:y", 0},
      {"caf\xE9\xC3\xA9", "caf\xE9\xC3\xA9", 0},  // high bytes are kept
      {"~user/{a}", "%7Euser/%7Ba%7D", 3},
      {std::string("a\0b", 3), "a%00b", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    std::string out = "junk";
    EXPECT_EQ(EscapeUrl(c.input, &out), c.count);
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(EscapeUrl(c.input, nullptr), c.count);
  }
}

TEST(EscapeUrlTest, EveryByteValue) {
  for (unsigned v = 0; v < 256; ++v) {
    const auto c = static_cast<unsigned char>(v);
    SCOPED_TRACE(v);
    const std::string in(1, static_cast<char>(c));
    std::string out;
    const int count = EscapeUrl(in, &out);
    if (IsUnsafeByte(c) || c == '%') {
      char expected[4];
      std::snprintf(expected, sizeof expected, "%%%02X", v);
      EXPECT_EQ(count, 1);
      EXPECT_EQ(out, expected);
    } else {
      EXPECT_EQ(count, 0);
      EXPECT_EQ(out, in);
    }
  }
}

std::string RandomText(std::mt19937& rng, std::size_t maxLength, unsigned low, unsigned high) {
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<unsigned> byte(low, high);
  std::string s(length(rng), '\0');
  for (char& c : s)
    c = static_cast<char>(byte(rng));
  return s;
}

TEST(EscapeUrlTest, OutputNeverHoldsAnUnsafeCharacterAndIsStable) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 2000; ++round) {
    const std::string in = RandomText(rng, 40, 0, 255);
    std::string out;
    const int count = EscapeUrl(in, &out);
    for (std::size_t i = 0; i < out.size(); ++i) {
      ASSERT_FALSE(IsUnsafeByte(static_cast<unsigned char>(out[i]))) << i;
    }
    EXPECT_EQ(out.size(), in.size() + 2 * static_cast<std::size_t>(count));
    std::string again;
    EXPECT_EQ(EscapeUrl(out, &again), 0);  // escaping twice changes nothing
    EXPECT_EQ(again, out);
  }
}

TEST(EscapeUrlTest, DecodeOfEscapeRoundTripsPrintableAscii) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string in = RandomText(rng, 40, 0x20, 0x7E);
    std::erase_if(in, [](char c) { return c == '%' || c == '&'; });
    std::string escaped;
    std::string decoded;
    const int escapes = EscapeUrl(in, &escaped);
    EXPECT_EQ(DecodeUrl(escaped, &decoded, CodePage::Windows1252), escapes);
    EXPECT_EQ(decoded, in);
  }
}

TEST(EscapeUrlTest, LongInputTriples) {
  const std::string in(100000, ' ');
  std::string out;
  EXPECT_EQ(EscapeUrl(in, &out), 100000);
  EXPECT_EQ(out.size(), 300000u);
  EXPECT_EQ(out.substr(0, 6), "%20%20");
}

// ---- MatchUrlMask -------------------------------------------------------------------------------

struct MaskCase {
  std::string text;
  std::string mask;
  bool matches;
};

TEST(MatchUrlMaskTest, Cases) {
  const std::vector<MaskCase> cases = {
      {"abc", "a?c", true},
      {"acx", "a?c", false},
      {"x.gif", "*.jpg;*.gif", true},
      {"x.jpg", "*.jpg;*.gif", true},
      {"x.png", "*.jpg;*.gif", false},
      {"ftp://x", "http://*", false},
      {"http://x/a.htm", "http://*", true},
      {"abc", "abc*def", false},
      {"abcxdef", "abc*def", true},
      {"anything", "", true},  // empty mask
      {"", "abc", true},       // empty text
      {"", "", true},
      {"x.gif.htm", "*.gif", true},  // text after the last literal is allowed
      {"abcdef", "abc", true},
      {"x.gif", "*.GIF", false},  // exact letter case
      {"abcd", "a??d", true},
      {"abd", "a??d", false},
      {"abcde", "a??d", true},
      {"abcde", "a??e", false},
      // Adjacent '*' and '?' runs: only the last counts.
      {"ax", "*?x", true},
      {"abx", "*?x", false},  // x must stand one character further on
      {"x", "?*x", true},     // the '?' is dropped: x is searched for
      {"abx", "?*x", true},
      {"abcx", "?*??x", false},
      {"abx", "?*??x", true},
      // Trailing wildcards accept whatever remains, even nothing.
      {"abcdef", "abc*", true},
      {"abc", "abc*", true},
      {"abc", "abc?", true},
      {"abcd", "abc??", true},
      {"ab", "abc??", false},
      {"x", "*", true},
      {"x", "???", true},
      // Literals after '*' take their first occurrence (no backtracking).
      {"aab", "*a*b", true},
      {"axyabc", "*a?c", false},
      {"abyabc", "*a?c", false},
      {"abc", "*a?c", true},
      // Alternatives each start at the beginning of the text.
      {"zy", "x*y;z", true},
      {"barn", "foo;bar", true},
      {"baz", "foo;bar", false},
      {"zzz", "a;", true},  // an empty alternative matches
      {"zzz", ";", true},
      {"zzz", "a;;b", true},
      {"a;b", "a;b", true},
      {"b", "?;b", true},
      {"ab", "a?b;ab", true},
      {"ab", "??c;*b", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text=" + c.text + " mask=" + c.mask);
    EXPECT_EQ(MatchUrlMask(c.text, c.mask), c.matches);
  }
}

TEST(MatchUrlMaskTest, AdversarialMasksStayFast) {
  const std::string text(200000, 'a');
  std::string mask;
  for (int i = 0; i < 2000; ++i)
    mask += "*a";
  mask += "*b";
  std::string alternatives;
  for (int i = 0; i < 200; ++i)
    alternatives += mask.substr(0, 400) + "*b;";
  EXPECT_FALSE(MatchUrlMask(text, mask));
  EXPECT_FALSE(MatchUrlMask(text, alternatives + "*c"));
  EXPECT_TRUE(MatchUrlMask(text + "b", mask));
}

}  // namespace
}  // namespace urlsmith
