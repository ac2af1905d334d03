// The addresses that browser-saved pages were saved from, read from real pages on disk.
#include "engine/saved_from.h"

#include <gtest/gtest.h>

#include "engine/search_run.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;
using Table = std::vector<std::pair<std::string, int>>;

// Pages listed in the order written; the earlier phases (processable count and encodings) run
// as a search would run them.
class SavedFromTest : public ::testing::Test {
 protected:
  std::string Page(const std::string& name, const std::string& text) {
    return session_.FileList.path(session_.FileList.Append(dir_.Write(name, text)));
  }
  std::string Utf16Page(const std::string& name, const std::string& text, bool bigEndian) {
    return session_.FileList.path(
        session_.FileList.Append(dir_.WriteBytes(name, testing::Utf16Bytes(text, bigEndian))));
  }
  PhaseResult Run(RecordingRunView& view) {
    RecordingRunView quiet;
    EXPECT_EQ(CountProcessableFiles(session_, quiet), PhaseResult::Completed);
    EXPECT_EQ(FindUnicodeFiles(session_, quiet), PhaseResult::Completed);
    return SavedFromPhase(session_, view);
  }
  static std::string Line(const std::string& path, std::size_t size, const std::string& address) {
    return path + " (" + std::to_string(size) + " bytes) ... " +
           (address.empty() ? "no \"saved from url\" was found" : "saved from \"" + address + "\"");
  }
  Table Found() const {
    Table out;
    for (const auto& e : session_.SavedFromTable)
      out.emplace_back(e.Url, e.FileIndex);
    return out;
  }

  TempDir dir_;
  SearchSession session_;
};

constexpr char kHeading[] = ">> Searching for \"saved from url\" ... ";

TEST_F(SavedFromTest, AddressesOfSavedPages) {
  const struct {
    const char* name;
    std::string text;
    std::string address;  // empty: none found
  } pages[] = {
      {"plain.htm", "<html><!-- saved from url=(0024)http://www.example.com/a/ -->",
       "http://www.example.com/a/"},
      {"none.htm", "<html><!-- just a comment --><p>text</p>", ""},
      {"second.html", "<!-- first --><html><!-- saved from url=(0014)about:internet -->",
       "about:internet"},
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
  std::vector<std::string> log = {kHeading};
  Table table;
  for (const auto& p : pages) {
    log.push_back(Line(Page(p.name, p.text), p.text.size(), p.address));
    if (!p.address.empty()) table.emplace_back(p.address, session_.FileList.size() - 1);
  }
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(view.log, log);
  EXPECT_EQ(Found(), table);
}

// Style sheets, scripts and other files are never read; empty pages are passed over silently,
// pages that cannot be read say so.
TEST_F(SavedFromTest, OnlyPagesAreReadInAnyEncoding) {
  const std::string text = "<html><!-- saved from url=(0022)http://www.example.com/ --><p>";
  const std::string le = Utf16Page("le.htm", text, false);
  const std::string be = Utf16Page("be.htm", text + "<!-- saved from url=x -->", true);
  const std::string none = Utf16Page("none.htm", "<!-- a --><!-- b -->", true);
  for (const char* name : {"a.css", "b.js", "c.txt"})
    Page(name, text);
  dir_.MakeDir("d.css");  // would give a "cannot be read" line if it were read
  session_.FileList.Append(dir_ / "d.css");
  Page("empty.htm", "");
  dir_.MakeDir("folder.htm");
  session_.FileList.Append(dir_ / "folder.htm");
  session_.FileList.Append(dir_ / "missing.htm");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  const std::size_t leSize = 2 * (text.size() + 1);
  EXPECT_EQ(view.log,
            (std::vector<std::string>{
                kHeading, Line(le, leSize, "http://www.example.com/"),
                Line(be, leSize + 2 * 25, "http://www.example.com/"), Line(none, 2 * 21, ""),
                dir_ / "folder.htm ... cannot be read: Is a directory",
                dir_ / "missing.htm ... cannot be read: No such file or directory"}));
  EXPECT_EQ(Found(), (Table{{"http://www.example.com/", 0}, {"http://www.example.com/", 1}}));
  // Nine processable files, six pages: the bar moves for each page and need not end full.
  EXPECT_EQ(view.overall, (std::vector<std::pair<int, int>>{
                              {0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}, {6, 9}}));
}

// The lookup takes the first page of an address ignoring case, and follows the table through
// a second search after the processing options (cache reset).
TEST_F(SavedFromTest, LookupTakesTheFirstPageIgnoringCase) {
  Page("first.htm", "<!-- saved from url=(0024)http://www.example.com/A -->");
  Page("other.htm", "<!-- saved from url=(0024)http://www.example.com/B -->");
  Page("second.htm", "<!-- saved from url=(0024)HTTP://WWW.EXAMPLE.COM/a -->");
  Page("slash.htm", "<!-- saved from url=(0024)http://www.example.com/C/ -->");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(session_.SavedFromTable.size(), 4u);  // both pages of one address are kept
  const std::pair<const char*, int> lookups[] = {{"http://www.example.com/a", 0},
                                                 {"http://www.example.com/b", 1},
                                                 {"http://www.example.com/C", -1},
                                                 {"http://www.example.com/C/", 3},
                                                 {"", -1}};
  for (const auto& [url, page] : lookups)
    EXPECT_EQ(FindSavedFromPage(session_, url), page) << url;

  session_.FileList.Clear();
  Page("new1.htm", "<!-- saved from url=(0018)http://b.example/ -->");
  Page("new2.htm", "<!-- saved from url=(0018)http://c.example/ -->");
  session_.CacheReset();
  ASSERT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/a"), -1);  // the old page is gone
  EXPECT_EQ(FindSavedFromPage(session_, "http://b.example/"), 0);
  EXPECT_EQ(FindSavedFromPage(session_, "http://c.example/"), 1);
  // Rows added to the table by hand are found too; a table that shrank is indexed anew.
  session_.SavedFromTable.push_back({"http://D.example/", 7});
  EXPECT_EQ(FindSavedFromPage(session_, "http://d.example/"), 7);
  session_.SavedFromTable.erase(session_.SavedFromTable.begin());
  EXPECT_EQ(FindSavedFromPage(session_, "http://b.example/"), -1);
  EXPECT_EQ(FindSavedFromPage(session_, "http://c.example/"), 1);
}

}  // namespace
}  // namespace urlsmith
