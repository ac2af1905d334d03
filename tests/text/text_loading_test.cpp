#include "text/text_loading.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/primitives.h"

namespace urlsmith {
namespace {

using testing::TempDir;

TEST(DetectEncoding, ReadsTheByteOrderMarkOfRealFiles) {
  TempDir dir;
  struct Case {
    std::string name;
    std::string bytes;
    FileEncoding expected;
  };
  const Case cases[] = {
      {"le.htm", std::string("\xFF\xFE<\0a\0", 6), FileEncoding::Utf16Le},
      {"be.htm", std::string("\xFE\xFF\0<\0a", 6), FileEncoding::Utf16Be},
      {"le-mark-only.htm", "\xFF\xFE", FileEncoding::Utf16Le},
      {"be-mark-only.htm", "\xFE\xFF", FileEncoding::Utf16Be},
      {"one-byte.htm", "\xFF", FileEncoding::Ansi},
      {"one-fe.htm", "\xFE", FileEncoding::Ansi},
      {"empty.htm", "", FileEncoding::Ansi},
      {"plain.htm", "<html>", FileEncoding::Ansi},
      {"utf8-bom.htm", "\xEF\xBB\xBF<html>", FileEncoding::Ansi},
      {"reversed.htm", "\xFE\xFE", FileEncoding::Ansi},
  };
  PosixFileSystem fs;
  for (const auto& c : cases) {
    const std::string path = dir.Write(c.name, c.bytes);
    EXPECT_EQ(DetectEncoding(fs, path), c.expected) << c.name;
  }
}

TEST(DetectEncoding, FilesThatCannotBeReadAreSingleByte) {
  TempDir dir;
  PosixFileSystem fs;
  EXPECT_EQ(DetectEncoding(fs, dir / "missing.htm"), FileEncoding::Ansi);
  // A folder opens but cannot be read.
  const std::string folder = dir.MakeDir("folder.htm");
  EXPECT_EQ(DetectEncoding(fs, folder), FileEncoding::Ansi);
  if (::geteuid() != 0) {  // permissions do not stop the superuser
    const std::string locked = dir.Write("locked.htm", "\xFF\xFE<\0");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(DetectEncoding(fs, locked), FileEncoding::Ansi);
  }
}

TEST(DetectEncodingFromBytes, NeedsTwoBytes) {
  const std::uint8_t le[] = {0xFF, 0xFE};
  EXPECT_EQ(DetectEncodingFromBytes(le, 2), FileEncoding::Utf16Le);
  EXPECT_EQ(DetectEncodingFromBytes(le, 1), FileEncoding::Ansi);
  EXPECT_EQ(DetectEncodingFromBytes(nullptr, 0), FileEncoding::Ansi);
}

TEST(TextLoading, BigEndianFileIsScannedAsLittleEndianAfterTheSwap) {
  TempDir dir;
  const std::string path =
      dir.WriteBytes("be.htm", testing::Utf16Bytes("<a href=\"é.htm\">x</a>", true));
  PosixFileSystem fs;
  ASSERT_EQ(DetectEncoding(fs, path), FileEncoding::Utf16Be);
  ReadResult read = fs.ReadWholeFile(path);
  ASSERT_EQ(read.Status, ReadStatus::Ok);
  ByteSwapText(read.Bytes.data(), read.Bytes.size());
  const TextView text{read.Bytes.data(), static_cast<Pos>(read.Bytes.size()), FileEncoding::Utf16Be,
                      CodePage::Utf8};
  const Pos tag = FindTag(text, "A", 0);
  EXPECT_EQ(tag, 2);  // after the byte-order mark
  std::string value;
  Pos valuePos = kNone;
  EXPECT_EQ(FindAttribute(text, "href", tag + 4, &value, &valuePos, false), 6);
  EXPECT_EQ(value, "é.htm");
  EXPECT_EQ(valuePos, 18);
  int span = 0;
  EXPECT_EQ(ExtractValue(text, valuePos, &value, ValueMode::TagAttribute, &span, nullptr), 6);
  EXPECT_EQ(span, 7);
}

}  // namespace
}  // namespace urlsmith
