// The page, script and style-sheet scanners end to end (real files in a temporary folder, the
// real URL analysis, single-byte and UTF-16 text alike), and the searches they share.
#include "engine/scanners.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/findings.h"
#include "engine/scan_search.h"
#include "engine/tag_scanner.h"
#include "support/core_fixtures.h"
#include "support/engine_fixtures.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

enum class Enc { Ansi, Utf16 };
constexpr Enc kEncodings[] = {Enc::Ansi, Enc::Utf16};
const char* EncName(Enc e) {
  return e == Enc::Ansi ? "ansi" : "utf-16";
}

// The options of a case: search options off or on, and what Internet links and targets do.
enum Flags : unsigned {
  kDefault = 0,
  kByTag = 1,        // scripts are searched for tags
  kNoProtocol = 2,   // scripts are not searched for protocol names
  kNoHandlers = 4,   // event handlers are not searched
  kValidLinks = 8,   // Internet links are checked and valid
  kTargets = 16,     // the Link Target Adder is on (for links to the Internet)...
  kAddTargets = 32,  // ...and adds a target to links without one
};

// A site folder with one scanned file. Internet URLs are not checked and get no suggestion, so
// a broken link gives a DELETE row.
class Site {
 public:
  explicit Site(unsigned flags = kDefault) {
    session.Search.CheckInternetUrls = false;
    session.Search.SearchByFileNames = false;
    session.Search.ScanScriptsByTag = (flags & kByTag) != 0;
    session.Search.ScanScriptsByProtocol = (flags & kNoProtocol) == 0;
    session.Search.ScanEventHandlers = (flags & kNoHandlers) == 0;
    session.CacheReset();
    if ((flags & kValidLinks) != 0) Answer(UrlVerdict::Valid);
    if ((flags & kTargets) != 0) {
      session.Processing.TargetAdderEnabled = true;
      session.Processing.ModifyExistingTargets = (flags & kAddTargets) != 0;
    }
    session.RootPath = dir.path() + "/";
  }

  void Answer(UrlVerdict verdict) {
    session.SetInternetChecker(std::make_unique<testing::ScriptedChecker>(verdict));
    session.InternetCheckOff = false;
  }
  void List(const std::string& relative) { session.FileList.Append(dir.Write(relative, "x")); }

  // Writes the file and scans it with the scanner its extension asks for; the rows it counted.
  int Scan(const std::string& name, const std::string& content, Enc e) {
    enc = e;
    bytes = e == Enc::Ansi ? std::vector<std::uint8_t>(content.begin(), content.end())
                           : testing::Utf16Bytes(content, false, true);
    path = dir.WriteBytes(name, bytes);
    int index = session.FileList.FindListedFile(path);
    if (index < 0) index = session.FileList.Append(path);
    session.RunReset();
    const TextView text =
        session.View(bytes, e == Enc::Ansi ? FileEncoding::Ansi : FileEncoding::Utf16Le);
    const FileKind kind = KindOfPath(path, session.pathStyle());
    EXPECT_NE(kind, FileKind::Other) << name;
    const RowCount count =
        (kind == FileKind::Page     ? ScanPage
         : kind == FileKind::Script ? ScanScriptFile
                                    : ScanStyleFile)(session, view, text, path, index);
    stopped = count.Stopped;
    return count.Rows;
  }

  // The rows as "TAG [SPAN]QUOTE URL -> REPLACEMENT", joined by " | ". TAG is the tag's name as
  // written, "#k" when it is the k-th one in the text, or "script" / "style" for script strings
  // and style values; SPAN is the text the row covers; the URL is left out when it is the span
  // without its quotes.
  std::string Rendered(const std::string& text) const {
    const int w = enc == Enc::Ansi ? 1 : 2, base = enc == Enc::Ansi ? 0 : 2;
    std::string out;
    for (const LinkEntry& e : session.LinkTable) {
      EXPECT_EQ((e.ValuePos - base) % w, 0) << "misaligned value position";
      std::string tag = e.TagPos == kTagPosScript ? "script" : "style";
      if (e.TagPos >= 0) {
        const std::size_t at = static_cast<std::size_t>((e.TagPos - base) / w);
        tag = text.substr(at,
                          std::max<std::size_t>(2, text.find_first_of(" >=\t\\'\"", at + 1) - at));
        int k = 0;
        for (std::size_t t = text.find(tag); t <= at; t = text.find(tag, t + 1))
          ++k;
        if (k > 1) tag += "#" + std::to_string(k);
      }
      const std::string span = text.substr(static_cast<std::size_t>((e.ValuePos - base) / w),
                                           static_cast<std::size_t>(e.SpanLength));
      const std::string inner = span.substr(std::min<std::size_t>(span.size(), e.QuoteLength),
                                            std::max(0, e.SpanLength - 2 * e.QuoteLength));
      out += (out.empty() ? "" : " | ") + tag + " [" + span + "]" + std::to_string(e.QuoteLength) +
             (inner == e.Url ? "" : " " + e.Url) + " -> " + e.Replacement;
    }
    return out;
  }
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const LinkEntry& e : session.LinkTable)
      urls.push_back(e.Url);
    return urls;
  }
  std::string LogLine() const { return FileLogLine(path, static_cast<Pos>(bytes.size())); }

  TempDir dir;
  SearchSession session;
  RecordingRunView view;
  std::vector<std::uint8_t> bytes;
  std::string path;
  Enc enc = Enc::Ansi;
  bool stopped = false;  // whether the last Scan stopped
};

struct ScanCase {
  std::string file;  // the file name: its extension picks the scanner
  std::string text;
  unsigned flags;
  std::string rows;  // as Site::Rendered gives them
};

void RunCases(const std::vector<ScanCase>& cases) {
  for (const ScanCase& c : cases) {
    for (const Enc e : kEncodings) {
      Site site(c.flags);
      const int result = site.Scan(c.file, c.text, e);
      EXPECT_EQ(site.Rendered(c.text), c.rows) << c.text << " / " << EncName(e);
      const std::size_t rows = site.session.LinkTable.size();
      EXPECT_EQ(result, static_cast<int>(rows));
      EXPECT_FALSE(site.stopped);
      EXPECT_EQ(site.view.log, std::vector<std::string>{site.LogLine() + std::to_string(rows) +
                                                        " change(s) to apply"});
    }
  }
}

TEST(ScanPage, TagAttributesInEveryQuoteForm) {
  RunCases({
      {"p.htm", "<a HREF='x.htm'>x</a>", kDefault, "<a ['x.htm']1 -> "},
      {"p.htm", "<A href=x.htm>x</A>", kDefault, "<A [x.htm]0 -> \"\""},  // unquoted: two quotes
      {"p.htm", R"(<a href=\"x.htm\">x</a>)", kDefault, R"(<a [\"x.htm\"]2 -> )"},
      {"p.htm", R"(<a href=\'x.htm\'>x</a>)", kDefault, R"(<a [\'x.htm\']2 -> )"},
      {"p.htm", "<img alt=\"\" src = \"i.gif\" >", kDefault, "<img [\"i.gif\"]1 -> "},
      // The A pattern matches AREA (two rows for one place), FRAME matches FRAMESET.
      {"p.htm", "<map><area shape=rect href=\"m.htm\"></map>", kDefault,
       "<area [\"m.htm\"]1 ->  | <area [\"m.htm\"]1 -> "},
      {"p.htm", "<frameset src=\"fs.htm\"><frame src=\"f.htm\"></frameset>", kDefault,
       "<frameset [\"fs.htm\"]1 ->  | <frame#2 [\"f.htm\"]1 -> "},
      // Tags inside comments are found; a tag that never closes still gives its value.
      {"p.htm", "<!-- <img src=\"c.gif\"> --><img src=\"i.gif\">", kDefault,
       "<img [\"c.gif\"]1 ->  | <img#2 [\"i.gif\"]1 -> "},
      {"p.htm", "<img src=\"a.gif\" alt=x", kDefault, "<img [\"a.gif\"]1 -> "},
      // No attribute, an empty or unclosed value, an inline style: nothing.
      {"p.htm", "<img alt=x><img src=><img src=\"\"><img src=\"a.gif", kDefault, ""},
      {"p.htm", "<div style=\"background:url(d.gif)\">x</div>", kDefault, ""},
  });
}

TEST(ScanPage, RowsComeTagKindByTagKindInTableOrder) {
  const std::string page =
      "<tr background=\"tr.gif\"><td background=\"td.gif\"><table background=\"t.gif\">"
      "<body background=\"b.gif\"><script src=\"s.js\"></script><link href=\"l.css\">"
      "<input src=\"in.gif\"><img src=\"i.gif\"><iframe src=\"if.htm\"><frame src=\"f.htm\">"
      "<embed src=\"e.swf\"><bgsound src=\"b.wav\"><area href=\"ar.htm\">"
      "<applet src=\"ap.class\"><a href=\"a.htm\">";
  for (const Enc e : kEncodings) {
    Site site;
    EXPECT_EQ(site.Scan("p.htm", page, e), 16);
    EXPECT_EQ(site.Urls(),
              (std::vector<std::string>{"ar.htm", "a.htm", "ap.class", "ar.htm", "b.wav", "e.swf",
                                        "f.htm", "if.htm", "i.gif", "in.gif", "l.css", "s.js",
                                        "b.gif", "t.gif", "td.gif", "tr.gif"}))
        << EncName(e);
  }
}

TEST(ScanPage, ScriptBlocksHideTheirTagsUnlessScriptsCountAsTags) {
  const std::string page =
      "<script>document.write('<img src=\"in.gif\">');</script><img src=\"out.gif\">";
  RunCases({
      {"p.htm", page, kDefault, "<img#2 [\"out.gif\"]1 -> "},
      {"p.htm", page, kByTag, "<img [\"in.gif\"]1 ->  | <img#2 [\"out.gif\"]1 -> "},
      // A SCRIPT src written inside a script block is found.
      {"p.htm", "<script>s = \"</script>\"; document.write('<script src=\"in.js\">');</script>",
       kDefault, "<script#2 [\"in.js\"]1 -> "},
      // The SCRIPT row goes on after the next /SCRIPT tag.
      {"p.htm",
       "<script src=\"a.js\">x='<script src=\"no.js\">'</script><script src=\"b.js\"></script>",
       kByTag, "<script [\"a.js\"]1 ->  | <script#3 [\"b.js\"]1 -> "},
  });
}

TEST(ScanPage, EventHandlers) {
  const std::string onclick =
      "<a href=\"x.htm\" onclick=\"window.open('http://ex.com/p.htm')\">go</a>";
  const std::string inScript =
      "<script>w('<b onclick=\"go(\\'http://ex.com/s.htm\\')\">');</script>";
  RunCases({
      // The href row, then the handler's URL at its protocol.
      {"p.htm", onclick, kDefault, "<a [\"x.htm\"]1 ->  | <a [http://ex.com/p.htm]0 -> "},
      {"p.htm", onclick, kNoHandlers, "<a [\"x.htm\"]1 -> "},
      // A file:/// further on wins over a nearer http://.
      {"p.htm", "<img src=\"i.gif\" onload=\"f('http://ex.com/a.gif', 'file:///nowhere/b.gif')\">",
       kDefault, "<img [\"i.gif\"]1 ->  | <img [file:///nowhere/b.gif]0 -> "},
      // Values quoted with apostrophes, escaped quotes or not at all; an unquoted one ends at a
      // blank, a quoted one at its closing quote.
      {"p.htm", "<body onload='go(\"http://ex.com/a.htm\")'>", kDefault,
       "<body [http://ex.com/a.htm]0 -> "},
      {"p.htm", R"(<td onclick=\"go('http://ex.com/b.htm')\">)", kDefault,
       "<td [http://ex.com/b.htm]0 -> "},
      {"p.htm", "<td onclick=go('http://ex.com/c.htm')>", kDefault,
       "<td [http://ex.com/c.htm]0 -> "},
      {"p.htm", "<td onclick=go( 'http://ex.com/d.htm')>", kDefault, ""},
      {"p.htm", "<a onclick=\"f()\" title=\"http://ex.com/t.htm\">t</a>", kDefault, ""},
      // Any letter case, and blanks and controls before the '='.
      {"p.htm", "<td ONClick \t\n= \"go('http://ex.com/e.htm')\">", kDefault,
       "<td [http://ex.com/e.htm]0 -> "},
      // Handlers in list order, then on along one value.
      {"p.htm",
       "<body onload=\"a('http://ex.com/l.htm')\" "
       "onclick=\"b('http://ex.com/1.htm','http://ex.com/2.htm')\">",
       kDefault,
       "<body [http://ex.com/1.htm]0 ->  | <body [http://ex.com/2.htm]0 ->  | "
       "<body [http://ex.com/l.htm]0 -> "},
      // A handler inside a script block is a script string, unless scripts count as tags.
      {"p.htm", inScript, kDefault, "script [http://ex.com/s.htm]0 -> "},
      {"p.htm", inScript, kByTag, "<b [http://ex.com/s.htm]0 -> "},
  });
}

// url( values at their parenthesis: capitals count, a blank hides.
TEST(ScanPage, StyleBlocksAndStyleSheets) {
  const std::string inScript = "<script>w('<style>p{background:url(s.gif)}</style>');</script>";
  RunCases({
      {"p.htm", "<STYLE>td{background:URL(b.gif)} p{x:url (c.gif)}</STYLE>", kDefault,
       "style [(b.gif)]1 -> "},
      {"p.htm", "<style>a{x:url(1.gif)}</style><p>url(no.gif)</p><style>b{x:url(2.gif)}</style>",
       kDefault, "style [(1.gif)]1 ->  | style [(2.gif)]1 -> "},
      {"p.htm", "<style>p{background:url(u.gif)}", kDefault, "style [(u.gif)]1 -> "},  // unclosed
      {"p.htm", inScript, kDefault, ""},
      {"p.htm", inScript, kByTag, "style [(s.gif)]1 -> "},
      {"s.css", "a{x:url(a.gif)} p{background:URL(b.gif)} q{x:url (c.gif)}", kDefault,
       "style [(a.gif)]1 ->  | style [(b.gif)]1 -> "},
      {"s.css", "p{color:red}", kDefault, ""},
  });
}

TEST(ScanPage, ScriptStringsAndScriptFiles) {
  const std::string simple = "<script>var a = \"http://ex.com/a.htm\";</script>";
  const std::string stopsAtTag =
      "<script>if (a<=b) x='http://ex.com/a.htm'; w('<p>'); y='http://ex.com/b.htm';</script>";
  const std::string a = "script [http://ex.com/a.htm]0 -> ";
  const std::string ab = a + " | script [http://ex.com/b.htm]0 -> ";
  const std::string writes = "document.write('<img src=\"x.gif\">');";
  RunCases({
      {"p.htm", simple, kDefault, a},
      {"p.htm", simple, kNoProtocol, ""},
      // The first protocol found wins; an ftp:// before it is passed over.
      {"p.htm", "<script>a='ftp://ex.com/x'; b='http://ex.com/y.htm';</script>", kDefault,
       "script [http://ex.com/y.htm]0 -> "},
      // A line comment hides the URL after it; a second URL on a line is analysed.
      {"p.htm", "<script>\nvar a = 'http://ex.com/a.htm'; // see http://ex.com/b.htm\n</script>",
       kDefault, a},
      {"p.htm", "<script>var a = 'http://ex.com/a.htm', b = 'http://ex.com/b.htm';</script>",
       kDefault, ab},
      // A block comment hides; an unclosed one after the URL too.
      {"p.htm",
       "<script>/* 'http://ex.com/a.htm' */ b='http://ex.com/b.htm'; c='http://ex.com/c.htm'; "
       "/* open\n</script>",
       kDefault, ""},
      // With scripts as tags the search ends at a '<' not followed by '='; without, it takes
      // the whole block; a block without its closing tag runs to the end.
      {"p.htm", stopsAtTag, kByTag, a},
      {"p.htm", stopsAtTag, kDefault, ab},
      {"p.htm", "<script>x='http://ex.com/a.htm';", kDefault, a},
      // Script files: strings, a line comment, https; markup only with scripts as tags.
      {"s.js",
       "var a = 'http://ex.com/a.htm'; // http://ex.com/b.htm\nvar c = 'https://ex.com/c.htm';",
       kDefault, a + " | script [https://ex.com/c.htm]0 -> "},
      {"s.js", "var a = 'http://ex.com/a.htm';", kNoProtocol, ""},
      {"s.js", writes, kDefault, ""},
      {"s.js", writes, kByTag, "<img [\"x.gif\"]1 -> "},
      {"s.js", "a='http://ex.com/a.htm'; b='file:///nowhere/b.gif';", kDefault,
       "script [file:///nowhere/b.gif]0 -> "},
  });
}

TEST(ScanPage, LinkTargetAdder) {
  const unsigned on = kValidLinks | kTargets | kAddTargets;
  RunCases({
      // A differing target is replaced (an unquoted one written with quotes); an equal one
      // (ignoring case) is left alone.
      {"p.htm", "<a href=\"http://ex.com/\" target=_top>x</a>", kValidLinks | kTargets,
       "<a [_top]0 http://ex.com/ -> :::\"_blank\""},
      {"p.htm", "<a href=\"http://ex.com/\" target=\"_top\">x</a>", on,
       "<a [\"_top\"]1 http://ex.com/ -> :::_blank"},
      {"p.htm", "<a href=\"http://ex.com/\" TARGET=\"_BLANK\">x</a>", on, ""},
      {"p.htm", "<a href='http://ex.com/' target='_top'>x</a>", on,
       "<a ['_top']1 http://ex.com/ -> :::_blank"},
      {"p.htm", R"(<a href=\"http://ex.com/\" target=\"_top\">)", on,
       R"(<a [\"_top\"]2 http://ex.com/ -> :::_blank)"},
      // A link without a target gets a new attribute at the tag, when targets are added.
      {"p.htm", "<a href=\"http://ex.com/\">x</a>", on, "<a []0 http://ex.com/ -> :::\"_blank\""},
      {"p.htm", "<a href=\"http://ex.com/\">x</a>", kValidLinks | kTargets, ""},
      {"p.htm", "<a href=\"http://ex.com/\" target=_top>x</a>", kValidLinks, ""},  // adder off
      // A local link does not qualify; a forgotten protocol name gets its fix but no target.
      {"p.htm", "<a href=\"a.htm\" target=_top>x</a>", on, "<a [\"a.htm\"]1 -> "},
      {"p.htm", "<a href=\"www.ex.com\" target=_top>x</a>", on,
       "<a [\"www.ex.com\"]1 -> http://www.ex.com"},
  });
}

// The Link Target Adder judges the replacement of the link's own row, when it made one.
TEST(ScanPage, TheTargetOfASuggestedLinkFollowsTheSuggestion) {
  for (const Enc e : kEncodings) {
    Site site(kTargets | kAddTargets);
    site.List("new/x.jpg");
    site.session.Processing.TargetAdderMode = TargetMode::CustomMask;
    site.session.Processing.TargetUrlMask = "*new*";
    const std::string text = "<a href=\"pics/x.jpg\">x</a>";
    EXPECT_EQ(site.Scan("p.htm", text, e), 2);
    EXPECT_EQ(site.Rendered(text),
              "<a [\"pics/x.jpg\"]1 -> new/x.jpg | <a []0 pics/x.jpg -> :::\"_blank\"")
        << EncName(e);
  }
}

TEST(ScanPage, EveryScriptBlockIsSkippedBeyondTheListCapacity) {
  std::string page;
  std::vector<std::string> expected;
  for (int i = 0; i < kMaxScriptRanges + 200; ++i) {
    page += "<script>w('<img src=\"in" + std::to_string(i) + ".gif\">');</script>";
    if (i % 100 == 99) {
      page += "<img src=\"out" + std::to_string(i) + ".gif\">";
      expected.push_back("out" + std::to_string(i) + ".gif");
    }
  }
  page += "<script>w('<img src=\"unclosed.gif\">');";
  for (const Enc e : kEncodings) {
    Site site(kNoProtocol | kNoHandlers);
    EXPECT_EQ(site.Scan("p.htm", page, e), static_cast<int>(expected.size()));
    EXPECT_EQ(site.Urls(), expected) << EncName(e);
  }
}

// ---- Progress, polls and stops ---------------------------------------------------------------

// The progress steps (i, range) for i along each of the segments [from, to] in turn.
std::vector<std::pair<int, int>> Steps(int range, std::vector<std::pair<int, int>> segments) {
  std::vector<std::pair<int, int>> v;
  for (const auto& [from, to] : segments)
    for (int i = from; i <= to; ++i)
      v.emplace_back(i, range);
  return v;
}

TEST(Scanners, PerFileProgress) {
  const struct {
    const char* name;
    std::string file;
    unsigned flags;
    std::vector<std::pair<int, int>> expected;
  } cases[] = {
      // 15 tag kinds, the event-handler phase (start and end), STYLE, script, end.
      {"page", "p.htm", kDefault, Steps(18, {{0, 15}, {16, 16}, {16, 18}})},
      {"page without handlers", "p.htm", kNoHandlers, Steps(17, {{0, 17}})},
      {"page without script strings", "p.htm", kNoProtocol, Steps(17, {{0, 16}, {16, 17}})},
      {"page with neither", "p.htm", kNoProtocol | kNoHandlers, Steps(16, {{0, 16}})},
      {"script file", "s.js", kDefault, Steps(2, {{0, 2}})},
      {"script file without protocols", "s.js", kNoProtocol, Steps(1, {{0, 1}})},
      {"script file with tags", "s.js", kByTag, Steps(18, {{0, 17}, {17, 18}})},
      {"script file with tags, no handlers", "s.js", kByTag | kNoHandlers, Steps(17, {{0, 17}})},
      {"script file with tags only", "s.js", kByTag | kNoProtocol, Steps(17, {{0, 17}, {17, 17}})},
      {"style sheet", "s.css", kDefault, Steps(1, {{0, 1}})},
  };
  for (const auto& c : cases) {
    Site site(c.flags);
    site.Scan(c.file, "<p>x</p>", Enc::Ansi);
    EXPECT_EQ(site.view.file, c.expected) << c.name;
  }
}

// ESC at every poll of a scan, or an Internet check that is stopped: the scan stops with the
// rows made so far, which stay; the file's log line gets no ending.
TEST(Scanners, EscOrAStoppedCheckStopsWithTheRowsSoFar) {
  const struct {
    std::string file, text;
    unsigned flags;
  } escapes[] = {
      {"p.htm",
       "<a href=\"a.htm\" onclick=\"f('http://ex.com/h')\">a</a><img src=\"b.gif\">"
       "<img src=\"c.gif\"><style>x{y:url(d.gif)}</style><style>x{y:url(e.gif)}</style>"
       "<script>u='http://ex.com/s'</script><script>v='http://ex.com/t'</script>",
       kDefault},
      {"s.js", "a='http://ex.com/1'; b='<img src=\"i.gif\">'; c='http://ex.com/2';", kByTag},
      {"s.css", "a{x:url(1.gif)} b{x:url(2.gif)} c{x:url(3.gif)}", kDefault},
  };
  for (const auto& c : escapes) {
    for (const Enc e : kEncodings) {
      Site full(c.flags);
      ASSERT_GT(full.Scan(c.file, c.text, e), 0);
      for (int stopAt = 1; stopAt <= full.view.pollCount; ++stopAt) {
        SCOPED_TRACE(c.file + " / " + EncName(e) + ": ESC at poll " + std::to_string(stopAt));
        Site site(c.flags);
        site.view.onPoll = [stopAt](int n) { return n == stopAt ? Poll::Stop : Poll::Go; };
        const int rows = site.Scan(c.file, c.text, e);
        EXPECT_EQ(rows, site.session.LinkCount());
        EXPECT_TRUE(site.stopped);
        EXPECT_EQ(site.view.pollCount, stopAt);
        EXPECT_EQ(site.view.log, std::vector<std::string>{site.LogLine()});
      }
    }
  }
  const struct {
    std::string file, text;
    int rowsBefore;
  } checks[] = {
      {"p.htm", "<a href=\"a.htm\">a</a><img src=\"b.gif\"><img src=\"http://ex.com/i.gif\">", 2},
      {"p.htm", "<a href=\"a.htm\" onclick=\"f('http://ex.com/h')\">a</a>", 1},
      {"p.htm", "<style>x{y:url(d.gif)}</style><script>u='http://ex.com/s'</script>", 1},
      {"s.js", "a='http://ex.com/1';", 0},
      {"s.css", "a{x:url(1.gif)} b{x:url(http://ex.com/2.gif)}", 1},
  };
  for (const auto& c : checks) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(c.text + " / " + EncName(e));
      Site site;
      site.Answer(UrlVerdict::Stopped);
      EXPECT_EQ(site.Scan(c.file, c.text, e), c.rowsBefore);
      EXPECT_TRUE(site.stopped);
      EXPECT_EQ(site.session.LinkCount(), c.rowsBefore);
      EXPECT_EQ(site.view.log, std::vector<std::string>{site.LogLine()});
    }
  }
}

// ---- The searches the scanners share -----------------------------------------------------------
// Script comments, the protocol search along a block, the tag search that skips script blocks,
// the tag index and the attribute list. The quick searches are checked against the plain ones on
// random texts (fixed seeds) in both text widths.

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

// The values a file's findings keep stay whole while more are read (small, long and one longer
// than any room the findings keep), and after the findings are emptied for the next file.
TEST(FileFindings, KeepEveryValueFromFileToFile) {
  FileFindings found;
  for (const std::size_t longest : {std::size_t{40}, std::size_t{300000}}) {
    std::vector<std::string> hrefs;
    std::string page = "<html><body>";
    for (std::size_t i = 0; i < 600; ++i) {
      std::string href = "f" + std::to_string(i) + std::string(i % 97, 'x') + ".htm";
      if (i == 300) href = std::string(longest, 'y') + "%20.htm";
      page += "<a href=\"" + href + "\">x</a>\n";
      hrefs.push_back(href == std::string(longest, 'y') + "%20.htm"
                          ? std::string(longest, 'y') + " .htm"
                          : href);
    }
    const TextView text = testing::AnsiView(page);
    found.Clear();
    FindFileUrls(text, FileKind::Page, SearchOptions{}, found);
    std::vector<std::string> seen;
    for (const ScanEvent& e : found.Events)
      if (e.What == ScanEvent::Kind::Url) seen.emplace_back(e.Value.Decoded);
    EXPECT_EQ(seen, hrefs) << "longest value " << longest;
  }
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
        // The page-wide test says no only where no handler is found.
        if (!MayHaveEventHandler(view)) {
          for (const std::string_view name : {"onclick", "onmouseover", "onload"})
            ASSERT_EQ(FindListedAttribute(view, attributes, name, nullptr, false), 0) << name;
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
