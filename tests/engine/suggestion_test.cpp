#include <gtest/gtest.h>

#include "engine/analysis.h"

namespace urlsmith {
namespace {

SearchSession& WithFiles(SearchSession& session, const std::vector<std::string>& files) {
  for (const auto& f : files)
    session.FileList.Append(f);
  return session;
}

struct Suggestion {
  const char* name;
  std::vector<std::string> files;
  std::string pathOrUrl;
  int expected;
  int startIndex = 0;
  int fromFile = -1;  // the page that holds the link
};

void CheckAll(PathStyle style, const std::vector<Suggestion>& cases) {
  for (const Suggestion& c : cases) {
    SCOPED_TRACE(c.name);
    SearchSession session(style);
    WithFiles(session, c.files);
    EXPECT_EQ(SuggestReplacement(session, c.pathOrUrl, c.startIndex, c.fromFile), c.expected);
    for (int i = 0; i < session.FileList.size(); ++i) {
      EXPECT_EQ(session.FileList.referenced(i), i == c.expected) << "mark of " << i;
    }
  }
}

TEST(Suggestion, LocalPathsWindows) {
  const std::string broken = "D:\\site\\a\\img\\logo.gif";
  CheckAll(
      PathStyle::Windows,
      {
          {"two steps each: the earlier wins",
           {"D:\\site\\a\\pics\\logo.gif", "D:\\site\\logo.gif"},
           broken,
           0},
          {"two steps each, other order",
           {"D:\\site\\logo.gif", "D:\\site\\a\\pics\\logo.gif"},
           broken,
           0},
          {"one step down wins",
           {"D:\\site\\a\\pics\\logo.gif", "D:\\site\\logo.gif", "D:\\site\\a\\img\\sub\\logo.gif"},
           broken,
           2},
          {"same folder other name is no candidate",
           {"D:\\site\\a\\img\\logo.png", "D:\\site\\x\\logo.gif"},
           broken,
           1},
          {"letter case of the name does not matter", {"D:\\site\\a\\LOGO.GIF"}, broken, 0},
          {"another drive counts its absolute path",
           {"E:\\a\\b\\c\\logo.gif", "D:\\site\\logo.gif"},
           broken,
           1},
          {"no candidate", {"D:\\site\\a\\img\\other.gif"}, broken, -1},
          {"empty list", {}, broken, -1},
          {"start index skips earlier files",
           {"D:\\site\\a\\img\\sub\\logo.gif", "D:\\site\\logo.gif"},
           broken,
           1,
           1},
          {"start index past the end", {"D:\\site\\logo.gif"}, broken, -1, 1},
      });
}

TEST(Suggestion, LocalPathsPosix) {
  const std::string broken = "/srv/site/a/img/logo.gif";
  CheckAll(PathStyle::Posix,
           {
               {"equal steps: the folder that matches wins over the page itself",
                {"/m/de/bind.html", "/m/pt-br/bind.html"},
                "/m/de/../../pt-br/bind.html",
                1,
                0,
                0},
               {"no suggestion when the page itself fits best",
                {"/m/pt-br/bind.html", "/m/da/bind.html"},
                "/m/pt-br/../../pt-br/bind.html",
                -1,
                0,
                0},
               {"the page itself as the only candidate gives none",
                {"/m/da/bind.html"},
                "/m/da/../../pt-br/bind.html",
                -1,
                0,
                0},
               {"equal steps: the longer shared tail of folders wins, ignoring case",
                {"/s/x/en/a.htm", "/s/y/fr/a.htm"},
                "/s/z/FR/a.htm",
                1},
               {"two steps each: the earlier wins",
                {"/srv/site/a/pics/logo.gif", "/srv/site/logo.gif"},
                broken,
                0},
               {"one step down wins",
                {"/srv/site/a/pics/logo.gif", "/srv/site/logo.gif", "/srv/site/a/img/sub/logo.gif"},
                broken,
                2},
               {"letter case of the name does not matter", {"/srv/site/Logo.Gif"}, broken, 0},
               {"sharing only the root counts the absolute path",
                {"/other/logo.gif", "/srv/site/a/b/c/d/logo.gif"},
                broken,
                0},
               {"empty list", {}, broken, -1},
               {"start index skips earlier files",
                {"/srv/site/a/img/sub/logo.gif", "/srv/site/logo.gif", "/srv/logo.gif"},
                broken,
                1,
                1},
           });
}

TEST(Suggestion, InternetUrlsScoreTheCommonTail) {
  const std::string url = "http://www.example.com/img/logo.gif";
  CheckAll(PathStyle::Windows,
           {
               {"longer tail wins", {"D:\\site\\old\\logo.gif", "D:\\site\\img\\logo.gif"}, url, 1},
               {"equal tails: the earlier wins",
                {"D:\\a\\img\\logo.gif", "D:\\b\\img\\logo.gif"},
                url,
                0},
               {"never the page that holds the link",
                {"D:\\a\\img\\logo.gif", "D:\\b\\old\\logo.gif"},
                url,
                -1,
                0,
                0},
               {"letters of another case end the tail",
                {"D:\\site\\IMG\\logo.gif", "D:\\x\\img\\logo.gif"},
                url,
                1},
               {"no common tail at all", {"D:\\site\\img\\LOGO.GIF"}, url, -1},
               {"a query is part of the name",
                {"D:\\site\\page.php"},
                "http://www.example.com/page.php?id=1",
                -1},
               {"a folder-like URL matches files of that name",
                {"D:\\site\\docs\\index.htm", "D:\\site\\docs"},
                "http://www.example.com/docs",
                1},
               {"empty list", {}, url, -1},
               {"start index", {"D:\\site\\img\\logo.gif", "D:\\old\\logo.gif"}, url, 1, 1},
           });
  CheckAll(PathStyle::Posix,
           {
               {"longer tail wins", {"/srv/old/logo.gif", "/srv/site/img/logo.gif"}, url, 1},
               {"letters of another case end the tail",
                {"/srv/Img/logo.gif", "/x/img/logo.gif"},
                url,
                1},
           });
}

TEST(Suggestion, ManyFilesManyBrokenLinks) {
  SearchSession session(PathStyle::Posix);
  std::vector<std::string> files;
  files.reserve(100000);
  // 10,000 names, each in ten folders.
  for (int i = 0; i < 100000; ++i) {
    files.push_back("/srv/site/d" + std::to_string(i / 10000) + "/s" + std::to_string(i % 7) +
                    "/file" + std::to_string(i % 10000) + ".htm");
  }
  session.FileList.AppendAll(std::move(files));

  int found = 0;
  for (int k = 0; k < 10000; ++k) {
    const std::string name = "file" + std::to_string((k * 7919) % 12000) + ".htm";
    const std::string pathOrUrl =
        k % 2 == 0 ? "/srv/site/d3/gone/" + name : "http://www.example.com/d5/" + name;
    if (SuggestReplacement(session, pathOrUrl, 0) >= 0) ++found;
  }
  EXPECT_GT(found, 8000);
  // The nearest folder wins: d3 has file42.htm at index 30042.
  EXPECT_EQ(SuggestReplacement(session, "/srv/site/d3/gone/file42.htm", 0), 30042);
  EXPECT_EQ(
      SuggestReplacement(session, "http://x/d5/s" + std::to_string(50042 % 7) + "/file42.htm", 0),
      50042);
}

}  // namespace
}  // namespace urlsmith
