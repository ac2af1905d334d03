// The page, script and style-sheet scanners end to end: real files in a temporary folder, the
// real URL analysis, single-byte and UTF-16 text alike.
#include "engine/scanners.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

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

// A found row as characters of the text (byte-order mark not counted).
struct Row {
  int tag = 0, value = 0, span = 0, quote = 0;
  std::string url, replacement;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{tag " << r.tag << ", value " << r.value << ", span " << r.span << ", quote "
            << r.quote << ", url '" << r.url << "', replacement '" << r.replacement << "'}";
}

// Expected rows: where the tag and the value stand is the first occurrence of a piece of the
// text, or kScript / kStyle for the tag.
constexpr const char* kScript = "#script";
constexpr const char* kStyle = "#style";
struct Expect {
  std::string tagAt, valueAt;
  int span, quote;
  std::string url, replacement;
};
using Expects = std::vector<Expect>;
const Expects kNoRows;
Expects R(std::string tagAt, std::string valueAt, int span, int quote, std::string url,
          std::string replacement = "") {
  return {Expect{std::move(tagAt), std::move(valueAt), span, quote, std::move(url),
                 std::move(replacement)}};
}
Expects operator+(Expects a, const Expects& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// At the script string or style value at the first occurrence of `valueAt`.
Expects Script(std::string valueAt, std::string url) {
  return R(kScript, std::move(valueAt), static_cast<int>(url.size()), 0, url);
}
Expects Style(std::string valueAt, int span, std::string url) {
  return R(kStyle, std::move(valueAt), span, 1, std::move(url));
}

std::vector<Row> Resolve(const std::string& text, const Expects& expects) {
  std::vector<Row> rows;
  for (const Expect& e : expects) {
    const std::size_t tag = text.find(e.tagAt), value = text.find(e.valueAt);
    EXPECT_TRUE(e.tagAt == kScript || e.tagAt == kStyle || tag != std::string::npos) << e.tagAt;
    EXPECT_NE(value, std::string::npos) << e.valueAt;
    rows.push_back(Row{e.tagAt == kScript  ? -1
                       : e.tagAt == kStyle ? -2
                                           : static_cast<int>(tag),
                       static_cast<int>(value), e.span, e.quote, e.url, e.replacement});
  }
  return rows;
}

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

  // Every Internet link is checked, with this answer.
  void Answer(UrlVerdict verdict) {
    session.SetInternetChecker(std::make_unique<testing::ScriptedChecker>(verdict));
    session.InternetCheckOff = false;
  }
  // Lists another file of the site.
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
    }
    stopped = count.Stopped;
    return count.Rows;
  }

  std::vector<Row> Rows() const {
    const int w = enc == Enc::Ansi ? 1 : 2, base = enc == Enc::Ansi ? 0 : 2;
    std::vector<Row> rows;
    for (const LinkEntry& e : session.LinkTable) {
      EXPECT_EQ((e.ValuePos - base) % w, 0) << "misaligned value position";
      rows.push_back(Row{e.TagPos < 0 ? e.TagPos : (e.TagPos - base) / w, (e.ValuePos - base) / w,
                         e.SpanLength, e.QuoteLength, e.Url, e.Replacement});
    }
    return rows;
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
  const char* name;
  std::string file;  // the file name: its extension picks the scanner
  std::string text;
  unsigned flags;
  Expects rows;
};

void RunCases(const std::vector<ScanCase>& cases) {
  for (const ScanCase& c : cases) {
    for (const Enc e : kEncodings) {
      SCOPED_TRACE(std::string(c.name) + " / " + EncName(e));
      Site site(c.flags);
      const int result = site.Scan(c.file, c.text, e);
      const std::vector<Row> expected = Resolve(c.text, c.rows);
      EXPECT_EQ(site.Rows(), expected);
      EXPECT_EQ(result, static_cast<int>(expected.size()));
      EXPECT_FALSE(site.stopped);
      EXPECT_EQ(site.view.log,
                std::vector<std::string>{site.LogLine() + std::to_string(expected.size()) +
                                         " change(s) to apply"});
    }
  }
}

TEST(ScanPage, TagAttributesInEveryQuoteForm) {
  RunCases({
      {"apostrophes, upper-case attribute", "p.htm", "<a HREF='x.htm'>x</a>", kDefault,
       R("<a", "'x.htm", 7, 1, "x.htm")},
      {"unquoted, upper-case tag: deleted as two quotes", "p.htm", "<A href=x.htm>x</A>", kDefault,
       R("<A", "x.htm", 5, 0, "x.htm", "\"\"")},
      {"double quotes", "p.htm", "<p><a href=\"x.htm\">x</a>", kDefault,
       R("<a", "\"x.htm", 7, 1, "x.htm")},
      {"escaped double quotes", "p.htm", R"(<a href=\"x.htm\">x</a>)", kDefault,
       R("<a", R"(\"x.htm)", 9, 2, "x.htm")},
      {"escaped apostrophes", "p.htm", R"(<a href=\'x.htm\'>x</a>)", kDefault,
       R("<a", R"(\'x.htm)", 9, 2, "x.htm")},
      {"blanks around the equals sign", "p.htm", "<img alt=\"\" src = \"i.gif\" >", kDefault,
       R("<img", "\"i.gif", 7, 1, "i.gif")},
      {"the A pattern matches AREA: two rows for one place", "p.htm",
       "<map><area shape=rect href=\"m.htm\"></map>", kDefault,
       R("<area", "\"m.htm", 7, 1, "m.htm") + R("<area", "\"m.htm", 7, 1, "m.htm")},
      {"the FRAME pattern matches FRAMESET", "p.htm",
       "<frameset src=\"fs.htm\"><frame src=\"f.htm\"></frameset>", kDefault,
       R("<frameset", "\"fs.htm", 8, 1, "fs.htm") + R("<frame ", "\"f.htm", 7, 1, "f.htm")},
      {"tags inside comments are found", "p.htm", "<!-- <img src=\"c.gif\"> --><img src=\"i.gif\">",
       kDefault,
       R("<img src=\"c", "\"c.gif", 7, 1, "c.gif") + R("<img src=\"i", "\"i.gif", 7, 1, "i.gif")},
      {"no attribute, empty value, unclosed value: nothing", "p.htm",
       "<img alt=x><img src=><img src=\"\"><img src=\"a.gif", kDefault, kNoRows},
      {"a tag that never closes still gives its value", "p.htm", "<img src=\"a.gif\" alt=x",
       kDefault, R("<img", "\"a.gif", 7, 1, "a.gif")},
      {"an inline style is not searched", "p.htm", "<div style=\"background:url(d.gif)\">x</div>",
       kDefault, kNoRows},
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
      {"skipped", "p.htm", page, kDefault, R("<img src=\"out", "\"out.gif", 9, 1, "out.gif")},
      {"taken as tags", "p.htm", page, kByTag,
       R("<img src=\"in", "\"in.gif", 8, 1, "in.gif") +
           R("<img src=\"out", "\"out.gif", 9, 1, "out.gif")},
      {"a SCRIPT src written inside a script block is found", "p.htm",
       "<script>s = \"</script>\"; document.write('<script src=\"in.js\">');</script>", kDefault,
       R("<script src", "\"in.js", 7, 1, "in.js")},
      {"the SCRIPT row goes on after the next /SCRIPT tag", "p.htm",
       "<script src=\"a.js\">x='<script src=\"no.js\">'</script><script src=\"b.js\"></script>",
       kByTag,
       R("<script src=\"a", "\"a.js", 6, 1, "a.js") + R("<script src=\"b", "\"b.js", 6, 1, "b.js")},
  });
}

TEST(ScanPage, EventHandlers) {
  const std::string onclick =
      "<a href=\"x.htm\" onclick=\"window.open('http://ex.com/p.htm')\">go</a>";
  const std::string inScript =
      "<script>w('<b onclick=\"go(\\'http://ex.com/s.htm\\')\">');</script>";
  const Expects href = R("<a", "\"x.htm", 7, 1, "x.htm");
  RunCases({
      {"href row, then the handler's URL at its protocol", "p.htm", onclick, kDefault,
       href + R("<a", "http://ex.com/p.htm", 19, 0, "http://ex.com/p.htm")},
      {"handlers off", "p.htm", onclick, kNoHandlers, href},
      {"file:/// further on wins over a nearer http://", "p.htm",
       "<img src=\"i.gif\" onload=\"f('http://ex.com/a.gif', 'file:///nowhere/b.gif')\">", kDefault,
       R("<img", "\"i.gif", 7, 1, "i.gif") +
           R("<img", "file:///nowhere", 21, 0, "file:///nowhere/b.gif")},
      {"apostrophe-quoted value", "p.htm", "<body onload='go(\"http://ex.com/a.htm\")'>", kDefault,
       R("<body", "http://", 19, 0, "http://ex.com/a.htm")},
      {"escaped double quotes", "p.htm", R"(<td onclick=\"go('http://ex.com/b.htm')\">)", kDefault,
       R("<td", "http://", 19, 0, "http://ex.com/b.htm")},
      {"unquoted value", "p.htm", "<td onclick=go('http://ex.com/c.htm')>", kDefault,
       R("<td", "http://", 19, 0, "http://ex.com/c.htm")},
      {"an unquoted value ends at a blank", "p.htm", "<td onclick=go( 'http://ex.com/d.htm')>",
       kDefault, kNoRows},
      {"the search ends at the value's closing quote", "p.htm",
       "<a onclick=\"f()\" title=\"http://ex.com/t.htm\">t</a>", kDefault, kNoRows},
      {"handlers in list order, then on along one value", "p.htm",
       "<body onload=\"a('http://ex.com/l.htm')\" "
       "onclick=\"b('http://ex.com/1.htm','http://ex.com/2.htm')\">",
       kDefault,
       R("<body", "http://ex.com/1", 19, 0, "http://ex.com/1.htm") +
           R("<body", "http://ex.com/2", 19, 0, "http://ex.com/2.htm") +
           R("<body", "http://ex.com/l", 19, 0, "http://ex.com/l.htm")},
      {"handler inside a script block: a script string instead", "p.htm", inScript, kDefault,
       Script("http://", "http://ex.com/s.htm")},
      {"handler inside a script block taken as a tag", "p.htm", inScript, kByTag,
       R("<b", "http://", 19, 0, "http://ex.com/s.htm")},
  });
}

TEST(ScanPage, StyleBlocksAndStyleSheets) {
  const std::string inScript = "<script>w('<style>p{background:url(s.gif)}</style>');</script>";
  RunCases({
      {"url( value at its parenthesis", "p.htm", "<style>body{background:url(img/a.gif)}</style>",
       kDefault, Style("(img", 11, "img/a.gif")},
      {"capitals count, a blank hides", "p.htm",
       "<STYLE>td{background:URL(b.gif)} p{x:url (c.gif)}</STYLE>", kDefault,
       Style("(b.gif", 7, "b.gif")},
      {"several blocks", "p.htm",
       "<style>a{x:url(1.gif)}</style><p>url(no.gif)</p><style>b{x:url(2.gif)}</style>", kDefault,
       Style("(1.gif", 7, "1.gif") + Style("(2.gif", 7, "2.gif")},
      {"a block without its closing tag runs to the end", "p.htm",
       "<style>p{background:url(u.gif)}", kDefault, Style("(u.gif", 7, "u.gif")},
      {"a STYLE block in a script is skipped", "p.htm", inScript, kDefault, kNoRows},
      {"a STYLE block in a script taken as tags", "p.htm", inScript, kByTag,
       Style("(s.gif", 7, "s.gif")},
      {"style sheet: url( value at its parenthesis", "s.css", "body{background:url(img/a.gif)}",
       kDefault, Style("(img", 11, "img/a.gif")},
      {"style sheet: capitals count, a blank hides", "s.css",
       "p{background:URL(b.gif)} q{x:url (c.gif)}", kDefault, Style("(b.gif", 7, "b.gif")},
      {"style sheet without a value", "s.css", "p{color:red}", kDefault, kNoRows},
  });
}

TEST(ScanPage, ScriptStringsAndScriptFiles) {
  const std::string simple = "<script>var a = \"http://ex.com/a.htm\";</script>";
  const std::string stopsAtTag =
      "<script>if (a<=b) x='http://ex.com/a.htm'; w('<p>'); y='http://ex.com/b.htm';</script>";
  const Expects a = Script("http://ex.com/a", "http://ex.com/a.htm");
  const Expects b = Script("http://ex.com/b", "http://ex.com/b.htm");
  const std::string writes = "document.write('<img src=\"x.gif\">');";
  RunCases({
      {"a string with a protocol", "p.htm", simple, kDefault, a},
      {"protocols off", "p.htm", simple, kNoProtocol, kNoRows},
      {"the first protocol found wins; an ftp:// before it is passed over", "p.htm",
       "<script>a='ftp://ex.com/x'; b='http://ex.com/y.htm';</script>", kDefault,
       Script("http://", "http://ex.com/y.htm")},
      {"a line comment hides the URL after it", "p.htm",
       "<script>\nvar a = 'http://ex.com/a.htm'; // see http://ex.com/b.htm\n</script>", kDefault,
       a},
      {"a second URL on a line is analysed", "p.htm",
       "<script>var a = 'http://ex.com/a.htm', b = 'http://ex.com/b.htm';</script>", kDefault,
       a + b},
      {"a block comment hides; an unclosed one after the URL too", "p.htm",
       "<script>/* 'http://ex.com/a.htm' */ b='http://ex.com/b.htm'; c='http://ex.com/c.htm'; "
       "/* open\n</script>",
       kDefault, kNoRows},
      {"scripts as tags: the search ends at a '<' not followed by '='", "p.htm", stopsAtTag, kByTag,
       a},
      {"scripts not as tags: the whole block", "p.htm", stopsAtTag, kDefault, a + b},
      {"a block without its closing tag runs to the end", "p.htm",
       "<script>x='http://ex.com/a.htm';", kDefault, a},
      {"script file: strings, a line comment, https", "s.js",
       "var a = 'http://ex.com/a.htm'; // http://ex.com/b.htm\nvar c = 'https://ex.com/c.htm';",
       kDefault, a + Script("https://", "https://ex.com/c.htm")},
      {"script file: protocols off", "s.js", "var a = 'http://ex.com/a.htm';", kNoProtocol,
       kNoRows},
      {"script file: markup is not searched for tags", "s.js", writes, kDefault, kNoRows},
      {"script file: markup searched with scripts as tags", "s.js", writes, kByTag,
       R("<img", "\"x.gif", 7, 1, "x.gif")},
      {"script file: file:/// further on wins, the http:// before it is passed over", "s.js",
       "a='http://ex.com/a.htm'; b='file:///nowhere/b.gif';", kDefault,
       Script("file:///", "file:///nowhere/b.gif")},
  });
}

TEST(ScanPage, LinkTargetAdder) {
  RunCases({
      {"differing unquoted target: replaced, written with quotes", "p.htm",
       "<a href=\"http://ex.com/\" target=_top>x</a>", kValidLinks | kTargets,
       R("<a", "_top", 4, 0, "http://ex.com/", ":::\"_blank\"")},
      {"differing quoted target", "p.htm", "<a href=\"http://ex.com/\" target=\"_top\">x</a>",
       kValidLinks | kTargets | kAddTargets,
       R("<a", "\"_top", 6, 1, "http://ex.com/", ":::_blank")},
      {"equal target ignoring case: nothing", "p.htm",
       "<a href=\"http://ex.com/\" TARGET=\"_BLANK\">x</a>", kValidLinks | kTargets | kAddTargets,
       kNoRows},
      {"no target, adding on: a new attribute at the tag", "p.htm",
       "<a href=\"http://ex.com/\">x</a>", kValidLinks | kTargets | kAddTargets,
       R("<a", "<a", 0, 0, "http://ex.com/", ":::\"_blank\"")},
      {"no target, adding off: nothing", "p.htm", "<a href=\"http://ex.com/\">x</a>",
       kValidLinks | kTargets, kNoRows},
      {"the adder off: nothing", "p.htm", "<a href=\"http://ex.com/\" target=_top>x</a>",
       kValidLinks, kNoRows},
      {"a local link does not qualify", "p.htm", "<a href=\"a.htm\" target=_top>x</a>",
       kValidLinks | kTargets | kAddTargets, R("<a", "\"a.htm", 7, 1, "a.htm")},
      {"a forgotten protocol name gets its fix but no target", "p.htm",
       "<a href=\"www.ex.com\" target=_top>x</a>", kValidLinks | kTargets | kAddTargets,
       R("<a", "\"www.ex.com", 12, 1, "www.ex.com", "http://www.ex.com")},
  });
}

// Links to listed files make no row and mark their files; the Link Target Adder judges the
// replacement of the link's own row, when it made one.
TEST(ScanPage, LinksToListedFilesAndTheirTargets) {
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
    EXPECT_TRUE(site.session.FileList.referenced(0));
    EXPECT_TRUE(site.session.FileList.referenced(1));

    Site moved(kTargets | kAddTargets);
    moved.List("new/x.jpg");
    moved.session.Processing.TargetAdderMode = TargetMode::CustomMask;
    moved.session.Processing.TargetUrlMask = "*new*";
    const std::string text = "<a href=\"pics/x.jpg\">x</a>";
    EXPECT_EQ(moved.Scan("p.htm", text, e), 2);
    EXPECT_EQ(moved.Rows(), Resolve(text, R("<a", "\"pics", 12, 1, "pics/x.jpg", "new/x.jpg") +
                                              R("<a", "<a", 0, 0, "pics/x.jpg", ":::\"_blank\"")));
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

std::vector<std::pair<int, int>> Steps(int from, int to, int range) {
  std::vector<std::pair<int, int>> v;
  for (int i = from; i <= to; ++i)
    v.emplace_back(i, range);
  return v;
}
std::vector<std::pair<int, int>> operator+(std::vector<std::pair<int, int>> a,
                                           const std::vector<std::pair<int, int>>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Scanners, PerFileProgress) {
  const struct {
    const char* name;
    std::string file;
    unsigned flags;
    std::vector<std::pair<int, int>> expected;
  } cases[] = {
      // 15 tag kinds, the event-handler phase (start and end), STYLE, script, end.
      {"page", "p.htm", kDefault, Steps(0, 15, 18) + Steps(16, 16, 18) + Steps(16, 18, 18)},
      {"page without handlers", "p.htm", kNoHandlers, Steps(0, 17, 17)},
      {"page without script strings", "p.htm", kNoProtocol, Steps(0, 16, 17) + Steps(16, 17, 17)},
      {"page with neither", "p.htm", kNoProtocol | kNoHandlers, Steps(0, 16, 16)},
      {"script file", "s.js", kDefault, Steps(0, 2, 2)},
      {"script file without protocols", "s.js", kNoProtocol, Steps(0, 1, 1)},
      {"script file with tags", "s.js", kByTag, Steps(0, 17, 18) + Steps(17, 18, 18)},
      {"script file with tags, no handlers", "s.js", kByTag | kNoHandlers, Steps(0, 17, 17)},
      {"script file with tags only", "s.js", kByTag | kNoProtocol,
       Steps(0, 17, 17) + Steps(17, 17, 17)},
      {"style sheet", "s.css", kDefault, Steps(0, 1, 1)},
  };
  for (const auto& c : cases) {
    Site site(c.flags);
    site.Scan(c.file, "<p>x</p>", Enc::Ansi);
    EXPECT_EQ(site.view.file, c.expected) << c.name;
  }
}

TEST(Scanners, PollsOncePerPhaseAndPerAddress) {
  const struct {
    std::string file, text;
    int polls;
  } cases[] = {
      {"p.htm", "<p>plain</p> text", 18},                   // 15 tag kinds, handlers, STYLE, script
      {"p.htm", "<a href=x.htm>x</a><img src=y.gif>", 20},  // and after each address
      {"s.css", "a{x:url(1.gif)} b{x:url(2.gif)}", 3},      // before, and after each value
      {"s.js", "a='http://ex.com/1'; b='http://ex.com/2';", 3},  // the phase, and each string
  };
  for (const auto& c : cases) {
    Site site;
    site.Scan(c.file, c.text, Enc::Ansi);
    EXPECT_EQ(site.view.pollCount, c.polls) << c.text;
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

}  // namespace
}  // namespace urlsmith
