// The replacement suggested for a broken link: the listed file of the same name it most likely
// meant.
#include <gtest/gtest.h>

#include "engine/analysis.h"

namespace urlsmith {
namespace {

struct Suggestion {
  const char* name;
  PathStyle style;
  std::string files;  // the listed files, separated by blanks
  std::string pathOrUrl;
  int expected;
  int startIndex = 0;
  int fromFile = -1;  // the page that holds the link
};

TEST(Suggestion, TheNearestFileOfTheSameNameWins) {
  constexpr PathStyle W = PathStyle::Windows;
  constexpr PathStyle P = PathStyle::Posix;
  const std::string win = R"(D:\site\a\img\logo.gif)";
  const std::string posix = "/srv/site/a/img/logo.gif";
  const std::string url = "http://www.example.com/img/logo.gif";
  const Suggestion cases[] = {
      // Local paths: the fewest steps up and down; the earlier file on a tie.
      {"two steps each: the earlier wins", W, R"(D:\site\a\pics\logo.gif D:\site\logo.gif)", win,
       0},
      {"two steps each, other order", W, R"(D:\site\logo.gif D:\site\a\pics\logo.gif)", win, 0},
      {"one step down wins", W,
       R"(D:\site\a\pics\logo.gif D:\site\logo.gif D:\site\a\img\sub\logo.gif)", win, 2},
      {"same folder other name is no candidate", W, R"(D:\site\a\img\logo.png D:\site\x\logo.gif)",
       win, 1},
      {"letter case of the name does not matter", W, R"(D:\site\a\LOGO.GIF)", win, 0},
      {"another drive counts its absolute path", W, R"(E:\a\b\c\logo.gif D:\site\logo.gif)", win,
       1},
      {"no candidate", W, R"(D:\site\a\img\other.gif)", win, -1},
      {"empty list", W, "", win, -1},
      {"start index skips earlier files", W, R"(D:\site\a\img\sub\logo.gif D:\site\logo.gif)", win,
       1, 1},
      {"start index past the end", W, R"(D:\site\logo.gif)", win, -1, 1},
      {"posix: one step down wins", P,
       "/srv/site/a/pics/logo.gif /srv/site/logo.gif /srv/site/a/img/sub/logo.gif", posix, 2},
      {"posix: letter case of the name does not matter", P, "/srv/site/Logo.Gif", posix, 0},
      {"sharing only the root counts the absolute path", P,
       "/other/logo.gif /srv/site/a/b/c/d/logo.gif", posix, 0},
      {"equal steps: the folder that matches wins over the page itself", P,
       "/m/de/bind.html /m/pt-br/bind.html", "/m/de/../../pt-br/bind.html", 1, 0, 0},
      {"no suggestion when the page itself fits best", P, "/m/pt-br/bind.html /m/da/bind.html",
       "/m/pt-br/../../pt-br/bind.html", -1, 0, 0},
      {"the page itself as the only candidate gives none", P, "/m/da/bind.html",
       "/m/da/../../pt-br/bind.html", -1, 0, 0},
      {"equal steps: the longer shared tail of folders wins, ignoring case", P,
       "/s/x/en/a.htm /s/y/fr/a.htm", "/s/z/FR/a.htm", 1},
      // Internet URLs: the longest common tail of folders.
      {"longer tail wins", W, R"(D:\site\old\logo.gif D:\site\img\logo.gif)", url, 1},
      {"equal tails: the earlier wins", W, R"(D:\a\img\logo.gif D:\b\img\logo.gif)", url, 0},
      {"never the page that holds the link", W, R"(D:\a\img\logo.gif D:\b\old\logo.gif)", url, -1,
       0, 0},
      {"letters of another case end the tail", W, R"(D:\site\IMG\logo.gif D:\x\img\logo.gif)", url,
       1},
      {"no common tail at all", W, R"(D:\site\img\LOGO.GIF)", url, -1},
      {"a query is part of the name", W, R"(D:\site\page.php)",
       "http://www.example.com/page.php?id=1", -1},
      {"a folder-like URL matches files of that name", W, R"(D:\site\docs\index.htm D:\site\docs)",
       "http://www.example.com/docs", 1},
      {"url: start index", W, R"(D:\site\img\logo.gif D:\old\logo.gif)", url, 1, 1},
      {"posix url: longer tail wins", P, "/srv/old/logo.gif /srv/site/img/logo.gif", url, 1},
  };
  for (const Suggestion& c : cases) {
    SCOPED_TRACE(c.name);
    SearchSession session(c.style);
    for (std::size_t at = 0, end = 0; at < c.files.size(); at = end + 1) {
      end = std::min(c.files.find(' ', at), c.files.size());
      session.FileList.Append(c.files.substr(at, end - at));
    }
    EXPECT_EQ(SuggestReplacement(session, c.pathOrUrl, c.startIndex, c.fromFile), c.expected);
    for (int i = 0; i < session.FileList.size(); ++i)
      EXPECT_EQ(session.FileList.referenced(i), i == c.expected) << "mark of " << i;
  }
}

}  // namespace
}  // namespace urlsmith
