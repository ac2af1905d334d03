#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/primitives.h"

namespace urlsmith {
namespace {

struct SplitCase {
  PathStyle style;
  std::string path;
  std::string folder;
  std::string fileName;
  std::string baseName;
  std::string extension;
};

TEST(SplitPath, SplitsAtTheLastSeparatorOfEachStyle) {
  using enum PathStyle;
  const SplitCase cases[] = {
      {Windows, R"(C:\site\index.htm)", R"(C:\site)", "index.htm", "index", "htm"},
      {Windows, R"(C:\x.htm)", R"(C:\)", "x.htm", "x", "htm"},
      {Windows, R"(C:\my.site\index)", R"(C:\my.site)", "index", "index", ""},
      {Windows, R"(C:\a\x.tar.gz)", R"(C:\a)", "x.tar.gz", "x.tar", "gz"},
      {Windows, R"(C:\a\.htaccess)", R"(C:\a)", ".htaccess", "", "htaccess"},
      {Windows, R"(C:\a\)", R"(C:\a)", "", "", ""},
      {Windows, R"(C:\a\x.)", R"(C:\a)", "x.", "x", ""},
      {Windows, "index.htm", "", "index.htm", "index", "htm"},
      {Windows, "C:/a/b.htm", "C:/a", "b.htm", "b", "htm"},  // '/' when there is no '\'
      {Windows, "C:/b.htm", R"(C:\)", "b.htm", "b", "htm"},
      {Windows, R"(C:\a/b.htm)", R"(C:\)", "a/b.htm", "a/b", "htm"},  // the last '\' wins
      {Windows, R"(\x.htm)", "", "x.htm", "x", "htm"},
      {Windows, "", "", "", "", ""},
      {Posix, "/site/index.htm", "/site", "index.htm", "index", "htm"},
      {Posix, "/x.htm", "/", "x.htm", "x", "htm"},
      {Posix, "/my.site/index", "/my.site", "index", "index", ""},
      {Posix, "site/a.b/c.d.htm", "site/a.b", "c.d.htm", "c.d", "htm"},
      {Posix, "x.htm", "", "x.htm", "x", "htm"},
      {Posix, R"(a\b.htm)", "", R"(a\b.htm)", R"(a\b)", "htm"},  // '\' is a name character
      {Posix, R"(C:\x.htm)", "", R"(C:\x.htm)", R"(C:\x)", "htm"},
      {Posix, "/a/", "/a", "", "", ""},
  };
  for (const auto& c : cases) {
    std::string folder = "?", fileName = "?", baseName = "?", extension = "?";
    SplitPath(c.path, c.style, &folder, &fileName, &baseName, &extension);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(fileName, c.fileName) << c.path;
    EXPECT_EQ(baseName, c.baseName) << c.path;
    EXPECT_EQ(extension, c.extension) << c.path;
    EXPECT_EQ(FolderOf(c.path, c.style), c.folder) << c.path;
    EXPECT_EQ(ExtensionOf(c.path, c.style), c.extension) << c.path;
  }
}

TEST(SplitPath, EveryOutputIsOptional) {
  std::string baseName;
  SplitPath(R"(C:\site\index.htm)", PathStyle::Windows, nullptr, nullptr, &baseName, nullptr);
  EXPECT_EQ(baseName, "index");
  SplitPath("/a/b.c", PathStyle::Posix, nullptr, nullptr, nullptr, nullptr);
}

TEST(ByteSwapText, SwapsEveryWholeUnitAndLeavesAnOddByte) {
  struct Case {
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
  };
  const Case cases[] = {
      {{}, {}},
      {{1}, {1}},
      {{1, 2}, {2, 1}},
      {{0xFE, 0xFF, 0, '<', 0}, {0xFF, 0xFE, '<', 0, 0}},
  };
  for (auto c : cases) {
    ByteSwapText(c.in.data(), c.in.size());
    EXPECT_EQ(c.in, c.out);
  }
}

TEST(AppendUtf8, EncodesEveryLength) {
  struct Case {
    char32_t cp;
    std::string utf8;
  };
  const Case cases[] = {
      {U'A', "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0xE9, "\xC3\xA9"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x20AC, "\xE2\x82\xAC"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x1F600, "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendUtf8(out, c.cp);
    EXPECT_EQ(out, "x" + c.utf8) << static_cast<unsigned>(c.cp);
  }
}

}  // namespace
}  // namespace urlsmith
