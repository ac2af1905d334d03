// The page, script and style-sheet scanners end to end: real files in a temporary folder, the
// real URL analysis, single-byte and UTF-16 text alike.
#include "engine/scanners.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "engine/internet_check.h"
#include "engine/tag_scanner.h"
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

// Special tag markers of an expectation.
constexpr const char* kScript = "#script";
constexpr const char* kStyle = "#style";

// A found row as characters of the text (byte-order mark not counted).
struct Row {
  int tag = 0;
  int value = 0;
  int span = 0;
  int quote = 0;
  std::string url;
  std::string replacement;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{tag " << r.tag << ", value " << r.value << ", span " << r.span << ", quote "
            << r.quote << ", url '" << r.url << "', replacement '" << r.replacement << "'}";
}

// An expected row: where its tag and value stand are given by the first occurrence of a piece
// of the text (or kScript / kStyle for the tag).
struct Expect {
  std::string tagAt;
  std::string valueAt;
  int span;
  int quote;
  std::string url;
  std::string replacement = "";
};

std::vector<Row> Resolve(const std::string& text, const std::vector<Expect>& expects) {
  std::vector<Row> rows;
  for (const Expect& e : expects) {
    Row r;
    if (e.tagAt == kScript) {
      r.tag = -1;
    } else if (e.tagAt == kStyle) {
      r.tag = -2;
    } else {
      const std::size_t at = text.find(e.tagAt);
      EXPECT_NE(at, std::string::npos) << e.tagAt;
      r.tag = static_cast<int>(at);
    }
    const std::size_t v = text.find(e.valueAt);
    EXPECT_NE(v, std::string::npos) << e.valueAt;
    r.value = static_cast<int>(v);
    r.span = e.span;
    r.quote = e.quote;
    r.url = e.url;
    r.replacement = e.replacement;
    rows.push_back(r);
  }
  return rows;
}

// Answers every Internet check the same way.
class FixedChecker : public InternetChecker {
 public:
  explicit FixedChecker(UrlVerdict answer) : answer_(answer) {}
  void OpenSession() override {}
  void Reset() override {}
  UrlVerdict CheckInternetUrl(std::string_view, RunView&) override { return answer_; }

 private:
  UrlVerdict answer_;
};

// A site folder with one scanned file. Internet URLs are not checked and get no suggestion, so
// a broken link gives a DELETE row.
class Site {
 public:
  Site() {
    session.Search.CheckInternetUrls = false;
    session.Search.SearchByFileNames = false;
    session.CacheReset();
    session.RootPath = dir.path() + "/";
  }

  // Lists another file of the site.
  void List(const std::string& relative) { session.FileList.Append(dir.Write(relative, "x")); }

  // Writes the file and scans it with the scanner its extension asks for. Returns the rows the
  // scanner counted; `stopped` tells whether it stopped.
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
    RowCount count;
    switch (KindOfPath(path, session.pathStyle())) {
      case FileKind::Page:
        count = ScanPage(session, view, text, path, index);
        break;
      case FileKind::Script:
        count = ScanScriptFile(session, view, text, path, index);
        break;
      case FileKind::Style:
        count = ScanStyleFile(session, view, text, path, index);
        break;
      case FileKind::Other:
        ADD_FAILURE() << "not a processable file: " << name;
        break;
    }
    stopped = count.Stopped;
    return count.Rows;
  }

  std::vector<Row> Rows() const {
    const int w = enc == Enc::Ansi ? 1 : 2;
    const int base = enc == Enc::Ansi ? 0 : 2;
    std::vector<Row> rows;
    for (const LinkEntry& e : session.LinkTable) {
      Row r;
      r.tag = e.TagPos < 0 ? e.TagPos : (e.TagPos - base) / w;
      r.value = (e.ValuePos - base) / w;
      EXPECT_EQ((e.ValuePos - base) % w, 0) << "misaligned value position";
      r.span = e.SpanLength;
      r.quote = e.QuoteLength;
      r.url = e.Url;
      r.replacement = e.Replacement;
      rows.push_back(r);
    }
    return rows;
  }

  TempDir dir;
  SearchSession session;
  RecordingRunView view;
  std::vector<std::uint8_t> bytes;
  std::string path;
  Enc enc = Enc::Ansi;
  bool stopped = false;  // whether the last Scan stopped
};

struct Options {
  bool byTag = false;
  bool byProtocol = true;
  bool handlers = true;
};

struct ScanCase {
  const char* name;
  std::string file;  // the file name: its extension picks the scanner
  std::string text;
  Options options;
  std::vector<Expect> rows;
};

void RunCases(const std::vector<ScanCase>& cases) {
  for (const ScanCase& c : cases) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(std::string(c.name) + " / " + EncName(e));
      Site site;
      site.session.Search.ScanScriptsByTag = c.options.byTag;
      site.session.Search.ScanScriptsByProtocol = c.options.byProtocol;
      site.session.Search.ScanEventHandlers = c.options.handlers;
      const int result = site.Scan(c.file, c.text, e);
      const std::vector<Row> expected = Resolve(c.text, c.rows);
      EXPECT_EQ(site.Rows(), expected);
      EXPECT_EQ(result, static_cast<int>(expected.size()));
      EXPECT_FALSE(site.stopped);
      ASSERT_EQ(site.view.log.size(), 1u);
      EXPECT_EQ(site.view.log[0], FileLogLine(site.path, static_cast<Pos>(site.bytes.size())) +
                                      std::to_string(expected.size()) + " change(s) to apply");
    }
  }
}

const Options kByTag{true, true, true};
const Options kNoProtocol{false, false, true};
const Options kNoHandlers{false, true, false};

TEST(TagScanner, Tables) {
  EXPECT_EQ(kTagTable.size(), 15u);
  EXPECT_EQ(kTagTable[kScriptTagRow].Tag, "SCRIPT");
  // The 78 handler names, each once.
  EXPECT_EQ(kEventHandlerNames.size(), 78u);
  std::set<std::string_view> names;
  for (const std::string_view name : kEventHandlerNames) {
    EXPECT_TRUE(name.starts_with("on")) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), kEventHandlerNames.size());
  EXPECT_EQ(kEventHandlerNames.front(), "onabort");
  EXPECT_EQ(kEventHandlerNames.back(), "onunload");
}

TEST(ScanPage, TagAttributesInEveryQuoteForm) {
  RunCases({
      {"apostrophes, upper-case attribute",
       "p.htm",
       "<a HREF='x.htm'>x</a>",
       {},
       {{"<a", "'x.htm", 7, 1, "x.htm"}}},
      {"unquoted, upper-case tag: deleted as two quotes",
       "p.htm",
       "<A href=x.htm>x</A>",
       {},
       {{"<A", "x.htm", 5, 0, "x.htm", "\"\""}}},
      {"double quotes",
       "p.htm",
       "<p><a href=\"x.htm\">x</a>",
       {},
       {{"<a", "\"x.htm", 7, 1, "x.htm"}}},
      {"escaped double quotes",
       "p.htm",
       R"(<a href=\"x.htm\">x</a>)",
       {},
       {{"<a", R"(\"x.htm)", 9, 2, "x.htm"}}},
      {"escaped apostrophes",
       "p.htm",
       R"(<a href=\'x.htm\'>x</a>)",
       {},
       {{"<a", R"(\'x.htm)", 9, 2, "x.htm"}}},
      {"blanks around the equals sign",
       "p.htm",
       "<img alt=\"\" src = \"i.gif\" >",
       {},
       {{"<img", "\"i.gif", 7, 1, "i.gif"}}},
      {"the A pattern matches AREA: two rows for one place",
       "p.htm",
       "<map><area shape=rect href=\"m.htm\"></map>",
       {},
       {{"<area", "\"m.htm", 7, 1, "m.htm"}, {"<area", "\"m.htm", 7, 1, "m.htm"}}},
      {"the FRAME pattern matches FRAMESET",
       "p.htm",
       "<frameset src=\"fs.htm\"><frame src=\"f.htm\"></frameset>",
       {},
       {{"<frameset", "\"fs.htm", 8, 1, "fs.htm"}, {"<frame ", "\"f.htm", 7, 1, "f.htm"}}},
      {"tags inside comments are found",
       "p.htm",
       "<!-- <img src=\"c.gif\"> --><img src=\"i.gif\">",
       {},
       {{"<img src=\"c", "\"c.gif", 7, 1, "c.gif"}, {"<img src=\"i", "\"i.gif", 7, 1, "i.gif"}}},
      {"no attribute, empty value, unclosed value: nothing",
       "p.htm",
       "<img alt=x><img src=><img src=\"\"><img src=\"a.gif",
       {},
       {}},
      {"a tag that never closes still gives its value",
       "p.htm",
       "<img src=\"a.gif\" alt=x",
       {},
       {{"<img", "\"a.gif", 7, 1, "a.gif"}}},
      {"an inline style is not searched",
       "p.htm",
       "<div style=\"background:url(d.gif)\">x</div>",
       {},
       {}},
  });
}

TEST(ScanPage, RowsComeTagKindByTagKindInTableOrder) {
  const std::string page =
      "<tr background=\"tr.gif\"><td background=\"td.gif\"><table background=\"t.gif\">"
      "<body background=\"b.gif\"><script src=\"s.js\"></script><link href=\"l.css\">"
      "<input src=\"in.gif\"><img src=\"i.gif\"><iframe src=\"if.htm\"><frame src=\"f.htm\">"
      "<embed src=\"e.swf\"><bgsound src=\"b.wav\"><area href=\"ar.htm\">"
      "<applet src=\"ap.class\"><a href=\"a.htm\">";
  const std::vector<std::string> expected = {
      "ar.htm", "a.htm",  "ap.class", "ar.htm", "b.wav", "e.swf", "f.htm",  "if.htm",
      "i.gif",  "in.gif", "l.css",    "s.js",   "b.gif", "t.gif", "td.gif", "tr.gif"};
  for (const Enc e : kEncodings) {
    SCOPED_TRACE(EncName(e));
    Site site;
    EXPECT_EQ(site.Scan("p.htm", page, e), 16);
    std::vector<std::string> urls;
    for (const Row& r : site.Rows())
      urls.push_back(r.url);
    EXPECT_EQ(urls, expected);
  }
}

TEST(ScanPage, ScriptBlocksHideTheirTagsUnlessScriptsCountAsTags) {
  const std::string page =
      "<script>document.write('<img src=\"in.gif\">');</script><img src=\"out.gif\">";
  const std::string writesScript =
      "<script>s = \"</script>\"; document.write('<script src=\"in.js\">');</script>";
  RunCases({
      {"skipped", "p.htm", page, {}, {{"<img src=\"out", "\"out.gif", 9, 1, "out.gif"}}},
      {"taken as tags",
       "p.htm",
       page,
       kByTag,
       {{"<img src=\"in", "\"in.gif", 8, 1, "in.gif"},
        {"<img src=\"out", "\"out.gif", 9, 1, "out.gif"}}},
      {"a SCRIPT src written inside a script block is found",
       "p.htm",
       writesScript,
       {},
       {{"<script src", "\"in.js", 7, 1, "in.js"}}},
      {"the SCRIPT row goes on after the next /SCRIPT tag",
       "p.htm",
       "<script src=\"a.js\">x='<script src=\"no.js\">'</script><script src=\"b.js\"></script>",
       kByTag,
       {{"<script src=\"a", "\"a.js", 6, 1, "a.js"}, {"<script src=\"b", "\"b.js", 6, 1, "b.js"}}},
  });
}

TEST(ScanPage, EventHandlers) {
  const std::string onclick =
      "<a href=\"x.htm\" onclick=\"window.open('http://ex.com/p.htm')\">go</a>";
  const std::string inScript =
      "<script>w('<b onclick=\"go(\\'http://ex.com/s.htm\\')\">');</script>";
  RunCases({
      {"href row, then the handler's URL at its protocol",
       "p.htm",
       onclick,
       {},
       {{"<a", "\"x.htm", 7, 1, "x.htm"},
        {"<a", "http://ex.com/p.htm", 19, 0, "http://ex.com/p.htm"}}},
      {"handlers off", "p.htm", onclick, kNoHandlers, {{"<a", "\"x.htm", 7, 1, "x.htm"}}},
      {"file:/// further on wins over a nearer http://",
       "p.htm",
       "<img src=\"i.gif\" onload=\"f('http://ex.com/a.gif', 'file:///nowhere/b.gif')\">",
       {},
       {{"<img", "\"i.gif", 7, 1, "i.gif"},
        {"<img", "file:///nowhere", 21, 0, "file:///nowhere/b.gif"}}},
      {"apostrophe-quoted value",
       "p.htm",
       "<body onload='go(\"http://ex.com/a.htm\")'>",
       {},
       {{"<body", "http://", 19, 0, "http://ex.com/a.htm"}}},
      {"escaped double quotes",
       "p.htm",
       R"(<td onclick=\"go('http://ex.com/b.htm')\">)",
       {},
       {{"<td", "http://", 19, 0, "http://ex.com/b.htm"}}},
      {"unquoted value",
       "p.htm",
       "<td onclick=go('http://ex.com/c.htm')>",
       {},
       {{"<td", "http://", 19, 0, "http://ex.com/c.htm"}}},
      {"an unquoted value ends at a blank",
       "p.htm",
       "<td onclick=go( 'http://ex.com/d.htm')>",
       {},
       {}},
      {"the search ends at the value's closing quote",
       "p.htm",
       "<a onclick=\"f()\" title=\"http://ex.com/t.htm\">t</a>",
       {},
       {}},
      {"handlers in list order, then on along one value",
       "p.htm",
       "<body onload=\"a('http://ex.com/l.htm')\" "
       "onclick=\"b('http://ex.com/1.htm','http://ex.com/2.htm')\">",
       {},
       {{"<body", "http://ex.com/1", 19, 0, "http://ex.com/1.htm"},
        {"<body", "http://ex.com/2", 19, 0, "http://ex.com/2.htm"},
        {"<body", "http://ex.com/l", 19, 0, "http://ex.com/l.htm"}}},
      {"handler inside a script block: a script string instead",
       "p.htm",
       inScript,
       {},
       {{kScript, "http://", 19, 0, "http://ex.com/s.htm"}}},
      {"handler inside a script block taken as a tag",
       "p.htm",
       inScript,
       kByTag,
       {{"<b", "http://", 19, 0, "http://ex.com/s.htm"}}},
  });
}

TEST(ScanPage, StyleBlocks) {
  const std::string inScript = "<script>w('<style>p{background:url(s.gif)}</style>');</script>";
  RunCases({
      {"url( value at its parenthesis",
       "p.htm",
       "<style>body{background:url(img/a.gif)}</style>",
       {},
       {{kStyle, "(img", 11, 1, "img/a.gif"}}},
      {"capitals count, a blank hides",
       "p.htm",
       "<STYLE>td{background:URL(b.gif)} p{x:url (c.gif)}</STYLE>",
       {},
       {{kStyle, "(b.gif", 7, 1, "b.gif"}}},
      {"several blocks",
       "p.htm",
       "<style>a{x:url(1.gif)}</style><p>url(no.gif)</p><style>b{x:url(2.gif)}</style>",
       {},
       {{kStyle, "(1.gif", 7, 1, "1.gif"}, {kStyle, "(2.gif", 7, 1, "2.gif"}}},
      {"a block without its closing tag runs to the end",
       "p.htm",
       "<style>p{background:url(u.gif)}",
       {},
       {{kStyle, "(u.gif", 7, 1, "u.gif"}}},
      {"a STYLE block in a script is skipped", "p.htm", inScript, {}, {}},
      {"a STYLE block in a script taken as tags",
       "p.htm",
       inScript,
       kByTag,
       {{kStyle, "(s.gif", 7, 1, "s.gif"}}},
  });
}

TEST(ScanPage, ScriptStrings) {
  const std::string simple = "<script>var a = \"http://ex.com/a.htm\";</script>";
  const std::string stopsAtTag =
      "<script>if (a<=b) x='http://ex.com/a.htm'; w('<p>'); y='http://ex.com/b.htm';</script>";
  RunCases({
      {"a string with a protocol",
       "p.htm",
       simple,
       {},
       {{kScript, "http://", 19, 0, "http://ex.com/a.htm"}}},
      {"protocols off", "p.htm", simple, kNoProtocol, {}},
      {"the first protocol found wins; an ftp:// before it is passed over",
       "p.htm",
       "<script>a='ftp://ex.com/x'; b='http://ex.com/y.htm';</script>",
       {},
       {{kScript, "http://", 19, 0, "http://ex.com/y.htm"}}},
      {"a line comment hides the URL after it",
       "p.htm",
       "<script>\nvar a = 'http://ex.com/a.htm'; // see http://ex.com/b.htm\n</script>",
       {},
       {{kScript, "http://ex.com/a", 19, 0, "http://ex.com/a.htm"}}},
      {"a second URL on a line is analysed",
       "p.htm",
       "<script>var a = 'http://ex.com/a.htm', b = 'http://ex.com/b.htm';</script>",
       {},
       {{kScript, "http://ex.com/a", 19, 0, "http://ex.com/a.htm"},
        {kScript, "http://ex.com/b", 19, 0, "http://ex.com/b.htm"}}},
      {"a block comment hides; an unclosed one after the URL too",
       "p.htm",
       "<script>/* 'http://ex.com/a.htm' */ b='http://ex.com/b.htm'; c='http://ex.com/c.htm'; "
       "/* open\n</script>",
       {},
       {}},
      {"scripts as tags: the search ends at a '<' not followed by '='",
       "p.htm",
       stopsAtTag,
       kByTag,
       {{kScript, "http://ex.com/a", 19, 0, "http://ex.com/a.htm"}}},
      {"scripts not as tags: the whole block",
       "p.htm",
       stopsAtTag,
       {},
       {{kScript, "http://ex.com/a", 19, 0, "http://ex.com/a.htm"},
        {kScript, "http://ex.com/b", 19, 0, "http://ex.com/b.htm"}}},
      {"a block without its closing tag runs to the end",
       "p.htm",
       "<script>x='http://ex.com/a.htm';",
       {},
       {{kScript, "http://", 19, 0, "http://ex.com/a.htm"}}},
  });
}

TEST(ScanScriptFile, ProtocolStringsAndTags) {
  const std::string writes = "document.write('<img src=\"x.gif\">');";
  RunCases({
      {"strings, a line comment, https",
       "s.js",
       "var a = 'http://ex.com/a.htm'; // http://ex.com/b.htm\nvar c = 'https://ex.com/c.htm';",
       {},
       {{kScript, "http://ex.com/a", 19, 0, "http://ex.com/a.htm"},
        {kScript, "https://", 20, 0, "https://ex.com/c.htm"}}},
      {"protocols off", "s.js", "var a = 'http://ex.com/a.htm';", kNoProtocol, {}},
      {"markup is not searched for tags", "s.js", writes, {}, {}},
      {"markup searched with scripts as tags",
       "s.js",
       writes,
       kByTag,
       {{"<img", "\"x.gif", 7, 1, "x.gif"}}},
      {"file:/// further on wins, and the http:// before it is passed over",
       "s.js",
       "a='http://ex.com/a.htm'; b='file:///nowhere/b.gif';",
       {},
       {{kScript, "file:///", 21, 0, "file:///nowhere/b.gif"}}},
  });
}

TEST(ScanStyleFile, UrlValues) {
  RunCases({
      {"url( value at its parenthesis",
       "s.css",
       "body{background:url(img/a.gif)}",
       {},
       {{kStyle, "(img", 11, 1, "img/a.gif"}}},
      {"capitals count, a blank hides",
       "s.css",
       "p{background:URL(b.gif)} q{x:url (c.gif)}",
       {},
       {{kStyle, "(b.gif", 7, 1, "b.gif"}}},
      {"no value", "s.css", "p{color:red}", {}, {}},
  });
}

TEST(ScanPage, LinksToListedFilesAreNotRows) {
  for (const Enc e : kEncodings) {
    SCOPED_TRACE(EncName(e));
    Site site;
    site.List("a.htm");
    site.List("img/b.gif");
    EXPECT_EQ(site.Scan("p.htm",
                        "<a href=\"a.htm\">a</a><img src=\"img/b.gif\">"
                        "<style>x{background:url(img/b.gif)}</style>",
                        e),
              0);
    EXPECT_TRUE(site.session.LinkTable.empty());
    EXPECT_TRUE(site.session.FileList.referenced(0));
    EXPECT_TRUE(site.session.FileList.referenced(1));
  }
}

// ---- Progress and ESC ----

std::vector<std::pair<int, int>> Steps(int from, int to, int range) {
  std::vector<std::pair<int, int>> v;
  for (int i = from; i <= to; ++i)
    v.emplace_back(i, range);
  return v;
}

std::vector<std::pair<int, int>> Join(std::vector<std::vector<std::pair<int, int>>> parts) {
  std::vector<std::pair<int, int>> v;
  for (auto& p : parts)
    v.insert(v.end(), p.begin(), p.end());
  return v;
}

TEST(Scanners, PerFileProgress) {
  struct ProgressCase {
    const char* name;
    std::string file;
    Options options;
    std::vector<std::pair<int, int>> expected;
  };
  const std::vector<ProgressCase> cases = {
      // 15 tag kinds, the event-handler phase (start and end), STYLE, script, end.
      {"page", "p.htm", {}, Join({Steps(0, 15, 18), Steps(16, 16, 18), Steps(16, 18, 18)})},
      {"page without handlers", "p.htm", kNoHandlers, Steps(0, 17, 17)},
      {"page without script strings", "p.htm", kNoProtocol,
       Join({Steps(0, 16, 17), Steps(16, 17, 17)})},
      {"page with neither", "p.htm", {false, false, false}, Steps(0, 16, 16)},
      {"script file", "s.js", {}, Steps(0, 2, 2)},
      {"script file without protocols", "s.js", kNoProtocol, Steps(0, 1, 1)},
      {"script file with tags", "s.js", kByTag, Join({Steps(0, 17, 18), Steps(17, 18, 18)})},
      {"script file with tags, no handlers", "s.js", {true, true, false}, Steps(0, 17, 17)},
      {"script file with tags only",
       "s.js",
       {true, false, true},
       Join({Steps(0, 17, 17), Steps(17, 17, 17)})},
      {"style sheet", "s.css", {}, Steps(0, 1, 1)},
  };
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    site.session.Search.ScanScriptsByTag = c.options.byTag;
    site.session.Search.ScanScriptsByProtocol = c.options.byProtocol;
    site.session.Search.ScanEventHandlers = c.options.handlers;
    site.Scan(c.file, "<p>x</p>", Enc::Ansi);
    EXPECT_EQ(site.view.file, c.expected);
  }
}

TEST(Scanners, PollsOncePerPhaseAndPerAddress) {
  Site site;
  site.Scan("p.htm", "<p>plain</p> text", Enc::Ansi);
  EXPECT_EQ(site.view.pollCount, 18);  // 15 tag kinds, handlers, STYLE, script
  Site withLinks;
  withLinks.Scan("p.htm", "<a href=x.htm>x</a><img src=y.gif>", Enc::Ansi);
  EXPECT_EQ(withLinks.view.pollCount, 20);  // and after each address
  Site style;
  style.Scan("s.css", "a{x:url(1.gif)} b{x:url(2.gif)}", Enc::Ansi);
  EXPECT_EQ(style.view.pollCount, 3);  // before, and after each value
  Site script;
  script.Scan("s.js", "a='http://ex.com/1'; b='http://ex.com/2';", Enc::Ansi);
  EXPECT_EQ(script.view.pollCount, 3);  // the phase, and after each string
}

// ESC at every poll of a scan: the scan stops with the rows made so far, which stay; the file's
// log line gets no ending.
TEST(Scanners, EscAtAnyPollStopsWithTheRowsSoFar) {
  struct StopCase {
    std::string file;
    std::string text;
    Options options;
  };
  const std::vector<StopCase> cases = {
      {"p.htm",
       "<a href=\"a.htm\" onclick=\"f('http://ex.com/h')\">a</a><img src=\"b.gif\">"
       "<img src=\"c.gif\"><style>x{y:url(d.gif)}</style><style>x{y:url(e.gif)}</style>"
       "<script>u='http://ex.com/s'</script><script>v='http://ex.com/t'</script>",
       {}},
      {"s.js", "a='http://ex.com/1'; b='<img src=\"i.gif\">'; c='http://ex.com/2';", kByTag},
      {"s.css", "a{x:url(1.gif)} b{x:url(2.gif)} c{x:url(3.gif)}", {}},
  };
  for (const StopCase& c : cases) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(c.file + " / " + EncName(e));
      Site full;
      full.session.Search.ScanScriptsByTag = c.options.byTag;
      const int all = full.Scan(c.file, c.text, e);
      const int polls = full.view.pollCount;
      ASSERT_GT(all, 0);
      for (int stopAt = 1; stopAt <= polls; ++stopAt) {
        SCOPED_TRACE("ESC at poll " + std::to_string(stopAt));
        Site site;
        site.session.Search.ScanScriptsByTag = c.options.byTag;
        site.view.onPoll = [stopAt](int n) { return n == stopAt ? Poll::Stop : Poll::Go; };
        const int r = site.Scan(c.file, c.text, e);
        EXPECT_TRUE(site.stopped);
        EXPECT_EQ(r, site.session.LinkCount());
        EXPECT_EQ(site.view.pollCount, stopAt);
        EXPECT_EQ(site.view.log, std::vector<std::string>{
                                     FileLogLine(site.path, static_cast<Pos>(site.bytes.size()))});
      }
    }
  }
}

TEST(Scanners, StoppedInternetCheckStopsTheScanWithTheRowsSoFar) {
  struct StopCase {
    std::string file;
    std::string text;
    int rowsBefore;
  };
  const std::vector<StopCase> cases = {
      {"p.htm", "<a href=\"a.htm\">a</a><img src=\"b.gif\"><img src=\"http://ex.com/i.gif\">", 2},
      {"p.htm", "<a href=\"a.htm\" onclick=\"f('http://ex.com/h')\">a</a>", 1},
      {"p.htm", "<style>x{y:url(d.gif)}</style><script>u='http://ex.com/s'</script>", 1},
      {"s.js", "a='http://ex.com/1';", 0},
      {"s.css", "a{x:url(1.gif)} b{x:url(http://ex.com/2.gif)}", 1},
  };
  for (const StopCase& c : cases) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(c.text + " / " + EncName(e));
      Site site;
      site.session.SetInternetChecker(std::make_unique<FixedChecker>(UrlVerdict::Stopped));
      site.session.InternetCheckOff = false;
      EXPECT_EQ(site.Scan(c.file, c.text, e), c.rowsBefore);
      EXPECT_TRUE(site.stopped);
      EXPECT_EQ(site.session.LinkCount(), c.rowsBefore);
      EXPECT_EQ(site.view.log.size(), 1u);
      EXPECT_EQ(site.view.log.back().find("change(s)"), std::string::npos);
    }
  }
}

// ---- Link Target Adder ----

struct TargetCase {
  const char* name;
  std::string text;
  bool modifyExisting;
  std::vector<Expect> rows;
};

TEST(ScanPage, LinkTargetAdder) {
  const std::vector<TargetCase> cases = {
      {"differing unquoted target: replaced, written with quotes",
       "<a href=\"http://ex.com/\" target=_top>x</a>",
       false,
       {{"<a", "_top", 4, 0, "http://ex.com/", ":::\"_blank\""}}},
      {"differing quoted target",
       "<a href=\"http://ex.com/\" target=\"_top\">x</a>",
       true,
       {{"<a", "\"_top", 6, 1, "http://ex.com/", ":::_blank"}}},
      {"equal target ignoring case: nothing",
       "<a href=\"http://ex.com/\" TARGET=\"_BLANK\">x</a>",
       true,
       {}},
      {"no target, adding on: a new attribute at the tag",
       "<a href=\"http://ex.com/\">x</a>",
       true,
       {{"<a", "<a", 0, 0, "http://ex.com/", ":::\"_blank\""}}},
      {"no target, adding off: nothing", "<a href=\"http://ex.com/\">x</a>", false, {}},
      {"a local link does not qualify",
       "<a href=\"a.htm\" target=_top>x</a>",
       true,
       {{"<a", "\"a.htm", 7, 1, "a.htm"}}},
      {"a forgotten protocol name gets its fix but no target",
       "<a href=\"www.ex.com\" target=_top>x</a>",
       true,
       {{"<a", "\"www.ex.com", 12, 1, "www.ex.com", "http://www.ex.com"}}},
  };
  for (const TargetCase& c : cases) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(std::string(c.name) + " / " + EncName(e));
      Site site;
      // Internet links check as valid: their A tags make no row of their own.
      site.session.SetInternetChecker(std::make_unique<FixedChecker>(UrlVerdict::Valid));
      site.session.InternetCheckOff = false;
      site.session.Processing.TargetAdderEnabled = true;
      site.session.Processing.ModifyExistingTargets = c.modifyExisting;
      const int r = site.Scan("p.htm", c.text, e);
      const std::vector<Row> expected = Resolve(c.text, c.rows);
      EXPECT_EQ(site.Rows(), expected);
      EXPECT_EQ(r, static_cast<int>(expected.size()));
    }
  }
}

TEST(ScanPage, LinkTargetAdderOffMakesNoTargetRows) {
  Site site;
  site.session.SetInternetChecker(std::make_unique<FixedChecker>(UrlVerdict::Valid));
  site.session.InternetCheckOff = false;
  EXPECT_EQ(site.Scan("p.htm", "<a href=\"http://ex.com/\" target=_top>x</a>", Enc::Ansi), 0);
}

// The replacement of the link's own row, when it made one, is what qualifies.
TEST(ScanPage, LinkTargetAdderJudgesTheReplacement) {
  for (const Enc e : kEncodings) {
    SCOPED_TRACE(EncName(e));
    Site site;
    site.List("new/x.jpg");
    site.session.Processing.TargetAdderEnabled = true;
    site.session.Processing.TargetAdderMode = TargetMode::CustomMask;
    site.session.Processing.TargetUrlMask = "*new*";
    const std::string text = "<a href=\"pics/x.jpg\">x</a>";
    EXPECT_EQ(site.Scan("p.htm", text, e), 2);
    const std::vector<Row> expected =
        Resolve(text, {{"<a", "\"pics", 12, 1, "pics/x.jpg", "new/x.jpg"},
                       {"<a", "<a", 0, 0, "pics/x.jpg", ":::\"_blank\""}});
    EXPECT_EQ(site.Rows(), expected);
  }
}

// ---- Pages with more script blocks than the lists hold ----

TEST(ScanPage, EveryScriptBlockIsSkippedBeyondTheListCapacity) {
  std::string page;
  std::vector<std::string> expected;
  const int blocks = kMaxScriptRanges + 200;
  for (int i = 0; i < blocks; ++i) {
    page += "<script>w('<img src=\"in" + std::to_string(i) + ".gif\">');</script>";
    if (i % 100 == 99) {
      page += "<img src=\"out" + std::to_string(i) + ".gif\">";
      expected.push_back("out" + std::to_string(i) + ".gif");
    }
  }
  page += "<script>w('<img src=\"unclosed.gif\">');";
  for (const Enc e : kEncodings) {
    SCOPED_TRACE(EncName(e));
    Site site;
    site.session.Search.ScanScriptsByProtocol = false;
    site.session.Search.ScanEventHandlers = false;
    EXPECT_EQ(site.Scan("p.htm", page, e), static_cast<int>(expected.size()));
    std::vector<std::string> urls;
    for (const Row& r : site.Rows())
      urls.push_back(r.url);
    EXPECT_EQ(urls, expected);
  }
}

// A long one-line script with many URLs is searched once along, not once per URL.
TEST(ScanScriptFile, ManyUrlsOnOneLine) {
  std::string script = "var u=[";
  const int count = 20000;
  for (int i = 0; i < count; ++i)
    script += "'http://ex.com/" + std::to_string(i) + "',";
  script += "];";
  Site site;
  EXPECT_EQ(site.Scan("s.js", script, Enc::Ansi), count);
  Site page;
  EXPECT_EQ(page.Scan("p.htm", "<script>" + script + "</script>", Enc::Ansi), count);
}

}  // namespace
}  // namespace urlsmith
