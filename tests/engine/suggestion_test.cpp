// The replacement suggested for a broken link: the listed file of the same name it most likely
// meant.
#include <gtest/gtest.h>

#include "engine/analysis.h"

namespace urlsmith {
namespace {

struct Suggestion {
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
      // clang-format off
      // Local paths: the fewest steps up and down; the earlier file on a tie.
      {W, R"(D:\site\a\pics\logo.gif D:\site\logo.gif)", win, 0},
      {W, R"(D:\site\logo.gif D:\site\a\pics\logo.gif)", win, 0},
      {W, R"(D:\site\a\pics\logo.gif D:\site\logo.gif D:\site\a\img\sub\logo.gif)", win, 2},
      {W, R"(D:\site\a\img\logo.png D:\site\x\logo.gif)", win, 1},  // another name: no candidate
      {W, R"(D:\site\a\LOGO.GIF)", win, 0}, {W, R"(D:\site\a\img\other.gif)", win, -1},
      {W, R"(E:\a\b\c\logo.gif D:\site\logo.gif)", win, 1},  // another drive: its absolute path
      {W, "", win, -1}, {W, R"(D:\site\logo.gif)", win, -1, 1},  // start index past the end
      {W, R"(D:\site\a\img\sub\logo.gif D:\site\logo.gif)", win, 1, 1},  // start index skips
      {P, "/srv/site/a/pics/logo.gif /srv/site/logo.gif /srv/site/a/img/sub/logo.gif", posix, 2},
      {P, "/srv/site/Logo.Gif", posix, 0},
      {P, "/other/logo.gif /srv/site/a/b/c/d/logo.gif", posix, 0},  // only the root shared
      // Equal steps: the folder that matches wins over the page itself, which is never suggested;
      // then the longer shared tail of folders, ignoring case.
      {P, "/m/de/bind.html /m/pt-br/bind.html", "/m/de/../../pt-br/bind.html", 1, 0, 0},
      {P, "/m/pt-br/bind.html /m/da/bind.html", "/m/pt-br/../../pt-br/bind.html", -1, 0, 0},
      {P, "/m/da/bind.html", "/m/da/../../pt-br/bind.html", -1, 0, 0},
      {P, "/s/x/en/a.htm /s/y/fr/a.htm", "/s/z/FR/a.htm", 1},
      // Internet URLs: the longest common tail of folders (letters of another case end it), the
      // earlier on a tie, never the page that holds the link; a query is part of the name.
      {W, R"(D:\site\old\logo.gif D:\site\img\logo.gif)", url, 1},
      {W, R"(D:\a\img\logo.gif D:\b\img\logo.gif)", url, 0},
      {W, R"(D:\a\img\logo.gif D:\b\old\logo.gif)", url, -1, 0, 0},
      {W, R"(D:\site\IMG\logo.gif D:\x\img\logo.gif)", url, 1},
      {W, R"(D:\site\img\LOGO.GIF)", url, -1},
      {W, R"(D:\site\page.php)", "http://www.example.com/page.php?id=1", -1},
      {W, R"(D:\site\docs\index.htm D:\site\docs)", "http://www.example.com/docs", 1},
      {W, R"(D:\site\img\logo.gif D:\old\logo.gif)", url, 1, 1},
      {P, "/srv/old/logo.gif /srv/site/img/logo.gif", url, 1},
      // clang-format on
  };
  for (const Suggestion& c : cases) {
    SCOPED_TRACE(c.files + " / " + c.pathOrUrl);
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
