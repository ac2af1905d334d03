#include "engine/file_list.h"

#include <gtest/gtest.h>

namespace urlsmith {
namespace {

struct DotCase {
  PathStyle style;
  std::string in;
  bool ok;
  std::string out;
};

TEST(ResolveDotSegments, ResolvesParentAndCurrentSteps) {
  const DotCase cases[] = {
      {PathStyle::Windows, R"(C:\a\b\..\c.htm)", true, R"(C:\a\c.htm)"},
      {PathStyle::Windows, R"(C:\a\b\..)", true, R"(C:\a\)"},
      {PathStyle::Windows, R"(C:\a\b\c\..\..\d)", true, R"(C:\a\d)"},
      {PathStyle::Windows, R"(C:\a/b/../c)", true, R"(C:\a/c)"},
      {PathStyle::Windows, R"(C:\..\x)", false, ""},
      {PathStyle::Windows, R"(a\..\b)", false, ""},
      {PathStyle::Windows, R"(C:\a\..x\b)", true, R"(C:\a\..x\b)"},
      {PathStyle::Windows, R"(C:\a\.\b.htm)", true, R"(C:\a\b.htm)"},
      {PathStyle::Windows, R"(C:\a\.)", true, R"(C:\a\)"},
      {PathStyle::Posix, "/s/a/../b.htm", true, "/s/b.htm"},
      {PathStyle::Posix, "/s/./b.htm", true, "/s/b.htm"},
      {PathStyle::Posix, "/s/a/./../b.htm", true, "/s/b.htm"},
      {PathStyle::Posix, "/..", false, ""},
      {PathStyle::Posix, "/a/..", true, "/"},
      {PathStyle::Posix, "./b.htm", true, "b.htm"},
      {PathStyle::Posix, R"(/s/a\..\b)", true, R"(/s/a\..\b)"},  // '\' is no separator here
      {PathStyle::Posix, "/s/.hidden/x", true, "/s/.hidden/x"},
  };
  for (const auto& c : cases) {
    std::string p = c.in;
    EXPECT_EQ(ResolveDotSegments(p, c.style), c.ok) << c.in;
    if (c.ok) {
      EXPECT_EQ(p, c.out) << c.in;
    }
  }
}

TEST(FileList, FindListedFileIgnoresCaseAndHonoursCount) {
  FileList list(PathStyle::Windows);
  list.Append(R"(C:\site\index.htm)");
  list.Append(R"(C:\site\img\Logo.GIF)");
  list.Append(R"(C:\site\a\b.htm)");
  list.Append(R"(C:\SITE\INDEX.HTM)");  // same path in other case: the first one is found

  EXPECT_EQ(list.FindListedFile(R"(c:\site\INDEX.htm)"), 0);
  EXPECT_EQ(list.FindListedFile(R"(C:\site\img\logo.gif)"), 1);
  EXPECT_EQ(list.FindListedFile(R"(C:\site\a\..\img\logo.gif)"), 1);
  EXPECT_EQ(list.FindListedFile(R"(C:\site\a\.\b.htm)"), 2);
  EXPECT_EQ(list.FindListedFile(R"(C:\site\a\b.htm)", 2), -1);  // only the first two count
  EXPECT_EQ(list.FindListedFile(R"(C:\site\a\b.htm)", 3), 2);
  EXPECT_EQ(list.FindListedFile(R"(C:\site\missing.htm)"), -1);
  EXPECT_EQ(list.FindListedFile(R"(C:\..\site\index.htm)"), -1);
  // Only ASCII letters fold: a different byte is a different path.
  list.Append("C:\\site\\caf\xC3\xA9.htm");
  EXPECT_EQ(list.FindListedFile("C:\\site\\CAF\xC3\xA9.htm"), 4);
  EXPECT_EQ(list.FindListedFile("C:\\site\\CAF\xC3\x89.htm"), -1);
}

TEST(FileList, IndexFollowsRemoveAndClear) {
  FileList list(PathStyle::Posix);
  list.Append("/s/a.htm");
  list.Append("/s/b.htm");
  list.Append("/s/c.htm");
  EXPECT_EQ(list.FindListedFile("/s/b.htm"), 1);
  EXPECT_EQ(list.FindListedFile("/s/c.htm"), 2);
  list.SetReferenced(2);
  list.Remove({0, 0});
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list.FindListedFile("/s/a.htm"), -1);
  EXPECT_EQ(list.FindListedFile("/s/c.htm"), 1);
  EXPECT_TRUE(list.referenced(1));  // the mark moves with its file
  EXPECT_FALSE(list.referenced(0));
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.FindListedFile("/s/b.htm"), -1);
}

TEST(FileList, RemoveIgnoresIndicesOutsideTheList) {
  struct Case {
    std::vector<int> indices;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {{2, 0}, {"/s/b.htm", "/s/d.htm"}},
      {{-1, 1}, {"/s/a.htm", "/s/c.htm", "/s/d.htm"}},
      {{3, -5, 7, 0}, {"/s/b.htm", "/s/c.htm"}},
      {{4}, {"/s/a.htm", "/s/b.htm", "/s/c.htm", "/s/d.htm"}},
  };
  for (const Case& c : cases) {
    FileList list(PathStyle::Posix);
    for (const char* p : {"/s/a.htm", "/s/b.htm", "/s/c.htm", "/s/d.htm"})
      list.Append(p);
    list.Remove(c.indices);
    EXPECT_EQ(list.paths(), c.left);
  }
}

TEST(FileList, FilesNamedFindsSameNameAnywhere) {
  FileList list(PathStyle::Posix);
  list.Append("/s/img/logo.gif");
  list.Append("/s/x.htm");
  list.Append("/s/old/LOGO.gif");
  EXPECT_EQ(list.FilesNamed("Logo.gif"), (std::vector<int>{0, 2}));
  list.Append("/s/new/logo.GIF");  // the name index follows appends
  EXPECT_EQ(list.FilesNamed("logo.gif"), (std::vector<int>{0, 2, 3}));
  EXPECT_TRUE(list.FilesNamed("none.gif").empty());
  list.Remove({0});
  EXPECT_EQ(list.FilesNamed("logo.gif"), (std::vector<int>{1, 2}));
}

TEST(FileList, LookupsStayFastAtFullSize) {
  FileList list(PathStyle::Posix);
  std::vector<std::string> paths;
  for (int i = 0; i < 131072; ++i)
    paths.push_back("/site/d" + std::to_string(i % 97) + "/f" + std::to_string(i) + ".htm");
  list.AppendAll(paths);
  for (int i = 0; i < 131072; i += 997) {
    EXPECT_EQ(list.FindListedFile("/SITE/d" + std::to_string(i % 97) + "/x/../F" +
                                  std::to_string(i) + ".HTM"),
              i);
  }
}

}  // namespace
}  // namespace urlsmith
