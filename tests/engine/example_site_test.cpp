// The search over the example site shipped with the sources: every link row it plans, the
// automatic protocol fixes and the files no link refers to, pinned exactly, with the positions
// checked against the bytes of the pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::ReadFileBytes;
using testing::RecordingRunView;
using testing::TempDir;

struct Row {
  std::string file;  // relative to the site's folder
  std::int32_t tagPos;
  std::int32_t valuePos;
  std::int32_t spanLength;
  std::int32_t quoteLength;
  std::string url;
  std::string replacement;

  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{\"" << r.file << "\", " << r.tagPos << ", " << r.valuePos << ", " << r.spanLength
            << ", " << r.quoteLength << ", \"" << r.url << "\", \"" << r.replacement << "\"}";
}

class ExampleSite : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy(std::string(URLSMITH_SOURCE_DIR) + "/examples/site", dir_.path(),
                          std::filesystem::copy_options::recursive);
    RecordingRunView quiet;
    FolderAdd(session_.FileList, session_.fs(), quiet, true, dir_.path());
    session_.Search.CheckInternetUrls = false;
    session_.CacheReset();
    result_ = RunSearch(session_, view_);
  }

  std::string Relative(int fileIndex) const {
    return session_.FileList.path(fileIndex).substr(dir_.path().size() + 1);
  }

  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (const LinkEntry& e : session_.LinkTable) {
      rows.push_back(Row{Relative(e.FileIndex), e.TagPos, e.ValuePos, e.SpanLength, e.QuoteLength,
                         e.Url, e.Replacement});
    }
    return rows;
  }

  TempDir dir_;
  SearchSession session_{PathStyle::Posix};
  RecordingRunView view_;
  SearchResult result_;
};

// The characters of a UTF-16LE span as UTF-8 (the example pages hold no surrogates).
std::string Utf16LeToUtf8(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned c = static_cast<unsigned char>(bytes[i]) |
                       (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

TEST_F(ExampleSite, PlansExactlyTheseChanges) {
  // Tag rows point at the tag's '<' and at the value's opening quote; event-handler and script
  // strings (TagPos -1) at their protocol; style values (TagPos -2) at the '(' of "url(".
  const std::vector<Row> expected = {
      {"about.htm", 104, 112, 14, 1, "history.html", ""},
      {"index.htm", 429, 437, 13, 1, "contact.htm", "info/contact.htm"},
      {"index.htm", 472, 480, 16, 1, "my recipes.htm", "my%20recipes.htm"},
      {"index.htm", 518, 526, 23, 1, "www.example.com/flour", "http://www.example.com/flour"},
      {"index.htm", 574, 582, 25, 1, "http:example.com/market", "http://example.com/market"},
      {"index.htm", 632, 640, 19, 1, "baker@example.com", "mailto:baker@example.com"},
      // Redirected to the local copy saved from that address.
      {"index.htm", 692, 700, 33, 1, "http://www.example.com/news.htm", "saved/news.htm"},
      // The IMG rows come after every A row: each tag kind is one pass over the page.
      {"index.htm", 226, 235, 19, 1, "images/banner.jpg", "img/banner.jpg"},
      // The onclick handler's address; Internet checks are off and no file is named "click".
      {"index.htm", 802, 844, 30, 0, "http://stats.example.com/click", ""},
      {"unicode.htm", 234, 250, 10, 1,
       "\xC3\xBC"
       "ber.htm",
       ""},
      {"js/menu.js", -1, 62, 31, 0, "http://www.example.com/menu.htm", ""},
      {"products/list.htm", 213, 221, 10, 1, "item.htm", "items/item.htm"},
      // The quotes inside url("...") are part of the span but no part of the address.
      {"products/list.htm", -2, 132, 22, 1, "../img/special.png", ""},
      {"style/site.css", -2, 87, 20, 1, "../img/missing.png", ""},
  };
  EXPECT_EQ(result_.Outcome, SearchOutcome::Found);
  EXPECT_EQ(result_.Total, static_cast<int>(expected.size()));
  const std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], expected[i]) << "row " << i;
  }

  // The automatic protocol fixes: "www." and "http:" without "//" (the mailto: is none).
  EXPECT_EQ(session_.FixList, (std::vector<std::int32_t>{3, 4}));

  std::vector<std::string> orphans;
  for (int i = 0; i < session_.FileList.size(); ++i) {
    if (!session_.FileList.referenced(i)) orphans.push_back(Relative(i));
  }
  // img/Oven.gif resolves to img/oven.gif (paths ignore letter case); the saved page is only
  // the target of a redirected Internet link, which marks nothing.
  EXPECT_EQ(orphans, (std::vector<std::string>{"img/unused.gif"}));
}

TEST_F(ExampleSite, EveryRowPointsAtItsValueInTheFileBytes) {
  ASSERT_FALSE(session_.LinkTable.empty());
  for (const LinkEntry& e : session_.LinkTable) {
    const std::string file = Relative(e.FileIndex);
    SCOPED_TRACE(file + " " + e.Url);
    const std::string bytes = ReadFileBytes(session_.FileList.path(e.FileIndex));
    const bool utf16 = file == "unicode.htm";
    ASSERT_EQ(session_.FileEncoding[static_cast<std::size_t>(e.FileIndex)],
              utf16 ? FileEncoding::Utf16Le : FileEncoding::Ansi);
    const std::size_t width = utf16 ? 2 : 1;
    if (utf16) {
      EXPECT_EQ(e.TagPos % 2, 0);
      EXPECT_EQ(e.ValuePos % 2, 0);
    }
    if (e.TagPos >= 0) {
      ASSERT_LT(static_cast<std::size_t>(e.TagPos) + 1, bytes.size());
      EXPECT_EQ(bytes[static_cast<std::size_t>(e.TagPos)], '<');
      if (utf16) {
        EXPECT_EQ(bytes[static_cast<std::size_t>(e.TagPos) + 1], '\0');
      }
    }
    const std::size_t begin = static_cast<std::size_t>(e.ValuePos);
    const std::size_t length = static_cast<std::size_t>(e.SpanLength) * width;
    ASSERT_LE(begin + length, bytes.size());
    std::string span = bytes.substr(begin, length);
    if (utf16) span = Utf16LeToUtf8(span);
    ASSERT_GE(span.size(), 2u * static_cast<std::size_t>(e.QuoteLength));
    std::string inner = span;
    if (e.QuoteLength == 1) {
      const char open = span.front();
      const char close = open == '(' ? ')' : open;
      EXPECT_TRUE(open == '"' || open == '\'' || (open == '(' && e.TagPos == kTagPosStyle));
      EXPECT_EQ(span.back(), close);
      inner = span.substr(1, span.size() - 2);
      if (e.TagPos == kTagPosStyle && inner.size() >= 2 && inner.front() == '"' &&
          inner.back() == '"') {
        inner = inner.substr(1, inner.size() - 2);
      }
    } else {
      EXPECT_EQ(e.QuoteLength, 0);
      EXPECT_TRUE(span.rfind("http://", 0) == 0) << span;
    }
    // None of the example's values is %-escaped, so the value as written is the URL.
    EXPECT_EQ(inner, e.Url);
  }
}

}  // namespace
}  // namespace urlsmith
