#include "engine/saved_from.h"

#include <gtest/gtest.h>

#include "engine/search_run.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

// Pages on disk, listed in the order written; the earlier phases (processable count and
// encodings) are run as a search would run them.
class SavedFromTest : public ::testing::Test {
 protected:
  std::string Page(const std::string& name, const std::string& text) {
    const std::string path = dir_.Write(name, text);
    session_.FileList.Append(path);
    return path;
  }
  std::string Utf16Page(const std::string& name, const std::string& text, bool bigEndian) {
    const std::string path = dir_.WriteBytes(name, testing::Utf16Bytes(text, bigEndian));
    session_.FileList.Append(path);
    return path;
  }
  PhaseResult Run(RecordingRunView& view) {
    RecordingRunView quiet;
    EXPECT_EQ(CountProcessableFiles(session_, quiet), PhaseResult::Completed);
    EXPECT_EQ(FindUnicodeFiles(session_, quiet), PhaseResult::Completed);
    return SavedFromPhase(session_, view);
  }
  static std::string Line(const std::string& path, std::size_t size, const std::string& outcome) {
    return path + " (" + std::to_string(size) + " bytes) ... " + outcome;
  }
  std::vector<std::pair<std::string, int>> Table() const {
    std::vector<std::pair<std::string, int>> out;
    for (const auto& e : session_.SavedFromTable)
      out.emplace_back(e.Url, e.FileIndex);
    return out;
  }

  TempDir dir_;
  SearchSession session_;
};

TEST_F(SavedFromTest, AddressesOfSavedPages) {
  struct P {
    const char* name;
    std::string text;
    std::string address;  // empty: none found
  };
  const std::vector<P> pages = {
      {"plain.htm", "<html><!-- saved from url=(0024)http://www.example.com/a/ -->",
       "http://www.example.com/a/"},
      {"none.htm", "<html><!-- just a comment --><p>text</p>", ""},
      {"second-comment.html",
       "<!-- first --><html><!-- saved from url=(0014)about:internet --><body>", "about:internet"},
      {"upper.HTM", "<!-- SAVED FROM URL=(0018)http://a.example/ -->", "http://a.example/"},
      {"no-blank.shtml", "<!--saved from url=(0018)http://b.example/ -->", "http://b.example/"},
      {"no-prefix.htm", "<!-- saved from url=http://c.example/x.htm -->", "http://c.example/x.htm"},
      {"unclosed-prefix.htm", "<!-- saved from url=(0022http://d.example/ -->",
       "(0022http://d.example/"},
      {"decoded.htm",
       "<!-- saved from url=(0052)http://e.example/%7Euser/caf&eacute;.htm?a=1&amp;b=2 -->",
       "http://e.example/~user/caf\xC3\xA9.htm?a=1&b=2"},
      {"ends-at-blank.htm", "<!-- saved from url=(0030)http://f.example/x y.htm -->",
       "http://f.example/x"},
      {"wrong-name.htm", "<!-- saved from urls=(0018)http://g.example/ -->", ""},
      {"not-in-comment.htm", "<meta saved from url=http://h.example/>", ""},
  };
  std::vector<std::string> expectedLog = {">> Searching for \"saved from url\" ... "};
  std::vector<std::pair<std::string, int>> expectedTable;
  for (const P& p : pages) {
    const std::string path = Page(p.name, p.text);
    expectedLog.push_back(Line(path, p.text.size(),
                               p.address.empty() ? "no \"saved from url\" was found"
                                                 : "saved from \"" + p.address + "\""));
    if (!p.address.empty()) {
      expectedTable.emplace_back(p.address, session_.FileList.size() - 1);
    }
  }
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(view.log, expectedLog);
  EXPECT_EQ(Table(), expectedTable);
}

TEST_F(SavedFromTest, Utf16Pages) {
  const std::string text = "<html><!-- saved from url=(0022)http://www.example.com/ --><p>";
  const std::string le = Utf16Page("le.htm", text, false);
  const std::string be = Utf16Page("be.htm", text + "<!-- saved from url=x -->", true);
  const std::string none = Utf16Page("none.htm", "<!-- a --><!-- b -->", true);
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  ASSERT_EQ(view.log.size(), 4u);
  const std::size_t leSize = 2 * (text.size() + 1);
  EXPECT_EQ(view.log[1], Line(le, leSize, "saved from \"http://www.example.com/\""));
  EXPECT_EQ(view.log[2], Line(be, leSize + 2 * 25, "saved from \"http://www.example.com/\""));
  EXPECT_EQ(view.log[3], Line(none, 2 * 21, "no \"saved from url\" was found"));
  EXPECT_EQ(Table(), (std::vector<std::pair<std::string, int>>{{"http://www.example.com/", 0},
                                                               {"http://www.example.com/", 1}}));
}

TEST_F(SavedFromTest, StyleSheetsScriptsAndOtherFilesAreNeverRead) {
  const std::string comment = "<!-- saved from url=(0018)http://x.example/ -->";
  Page("a.css", comment);
  Page("b.js", comment);
  Page("c.txt", comment);
  dir_.MakeDir("d.css");  // would give a "cannot be read" line if it were read
  session_.FileList.Append(dir_ / "d.css");
  const std::string page = Page("page.htm", comment);
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(view.log, (std::vector<std::string>{
                          ">> Searching for \"saved from url\" ... ",
                          Line(page, comment.size(), "saved from \"http://x.example/\"")}));
  EXPECT_EQ(Table(), (std::vector<std::pair<std::string, int>>{{"http://x.example/", 4}}));
  // Four processable files, one page: the bar moves once for the page and once at the end.
  EXPECT_EQ(view.overall, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}}));
}

TEST_F(SavedFromTest, EmptyAndUnreadablePages) {
  const std::string empty = Page("empty.htm", "");
  dir_.MakeDir("folder.htm");
  session_.FileList.Append(dir_ / "folder.htm");
  session_.FileList.Append(dir_ / "missing.htm");
  const std::string ok = Page("ok.htm", "<!-- saved from url=(0018)http://y.example/ -->");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  ASSERT_EQ(view.log.size(), 4u);
  // An empty page is passed over silently; one that cannot be read says so.
  EXPECT_EQ(view.log[1], dir_ / "folder.htm ... cannot be read: Is a directory");
  EXPECT_EQ(view.log[2], dir_ / "missing.htm ... cannot be read: No such file or directory");
  EXPECT_EQ(view.log[3], Line(ok, 47, "saved from \"http://y.example/\""));
  EXPECT_EQ(Table(), (std::vector<std::pair<std::string, int>>{{"http://y.example/", 3}}));
  EXPECT_EQ(view.overall.back(), std::make_pair(4, 4));
}

TEST_F(SavedFromTest, EscStopsThePhaseAndKeepsWhatWasFound) {
  Page("a.htm", "<!-- saved from url=(0018)http://a.example/ -->");
  Page("b.htm", "<!-- one --><!-- two --><!-- saved from url=(0018)http://b.example/ -->");
  Page("c.htm", "<!-- saved from url=(0018)http://c.example/ -->");
  RecordingRunView view;
  // Page a polls once; page b polls before each comment: stop at its second comment.
  view.onPoll = [](int n) { return n == 3 ? Poll::Stop : Poll::Go; };
  EXPECT_EQ(Run(view), PhaseResult::Stopped);
  EXPECT_EQ(Table(), (std::vector<std::pair<std::string, int>>{{"http://a.example/", 0}}));
  EXPECT_EQ(view.log.size(), 3u);
  EXPECT_EQ(FindSavedFromPage(session_, "HTTP://A.EXAMPLE/"), 0);
  EXPECT_EQ(FindSavedFromPage(session_, "http://b.example/"), -1);
}

TEST_F(SavedFromTest, LookupTakesTheFirstPageIgnoringCase) {
  Page("first.htm", "<!-- saved from url=(0024)http://www.example.com/A -->");
  Page("other.htm", "<!-- saved from url=(0024)http://www.example.com/B -->");
  Page("second.htm", "<!-- saved from url=(0024)HTTP://WWW.EXAMPLE.COM/a -->");
  Page("slash.htm", "<!-- saved from url=(0024)http://www.example.com/C/ -->");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(session_.SavedFromTable.size(), 4u);  // both pages of one address are kept
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/a"), 0);
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/b"), 1);
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/C"), -1);
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/C/"), 3);
  EXPECT_EQ(FindSavedFromPage(session_, ""), -1);
}

TEST_F(SavedFromTest, ASecondSearchAfterTheOptionsUsesOnlyItsOwnAddresses) {
  // The first search finds one saved page; then the list changes, the processing options are
  // shown again (cache reset) and the next search finds other pages saved from other addresses.
  struct Lookup {
    const char* url;
    int page;
  };
  Page("old.htm", "<!-- saved from url=(0018)http://a.example/ -->");
  RecordingRunView first;
  ASSERT_EQ(Run(first), PhaseResult::Completed);
  ASSERT_EQ(FindSavedFromPage(session_, "http://a.example/"), 0);

  session_.FileList.Clear();
  Page("new1.htm", "<!-- saved from url=(0018)http://b.example/ -->");
  Page("new2.htm", "<!-- saved from url=(0018)http://c.example/ -->");
  session_.CacheReset();
  RecordingRunView second;
  ASSERT_EQ(Run(second), PhaseResult::Completed);
  const Lookup lookups[] = {
      {"http://a.example/", -1},  // the page of the first search is gone
      {"http://b.example/", 0},
      {"http://c.example/", 1},
  };
  for (const Lookup& l : lookups) {
    EXPECT_EQ(FindSavedFromPage(session_, l.url), l.page) << l.url;
  }
}

TEST(SavedFromLookup, FollowsTheTableThroughResets) {
  SearchSession session;
  EXPECT_EQ(FindSavedFromPage(session, "http://a/"), -1);
  session.SavedFromTable.push_back({"http://a/", 4});
  EXPECT_EQ(FindSavedFromPage(session, "http://a/"), 4);
  session.SavedFromTable.push_back({"http://b/", 7});
  session.SavedFromTable.push_back({"http://A/", 9});
  EXPECT_EQ(FindSavedFromPage(session, "http://b/"), 7);
  EXPECT_EQ(FindSavedFromPage(session, "http://a/"), 4);
  session.CacheReset();
  EXPECT_EQ(FindSavedFromPage(session, "http://a/"), -1);
  session.SavedFromTable.push_back({"http://a/", 2});
  EXPECT_EQ(FindSavedFromPage(session, "http://a/"), 2);
}

}  // namespace
}  // namespace urlsmith
