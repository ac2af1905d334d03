// The encoding of real files from their byte-order mark, and a big-endian page read as the link
// search reads it.
#include "text/text_loading.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"
#include "text/primitives.h"

namespace urlsmith {
namespace {

TEST(DetectEncoding, ReadsTheByteOrderMarkOfRealFiles) {
  testing::TempDir dir;
  PosixFileSystem fs;
  // clang-format off
  const std::pair<std::string, FileEncoding> cases[] = {
      {std::string("\xFF\xFE<\0a\0", 6), FileEncoding::Utf16Le},
      {std::string("\xFE\xFF\0<\0a", 6), FileEncoding::Utf16Be},
      {"\xFF\xFE", FileEncoding::Utf16Le}, {"\xFE\xFF", FileEncoding::Utf16Be},
      {"\xFF", FileEncoding::Ansi}, {"\xFE", FileEncoding::Ansi}, {"", FileEncoding::Ansi},
      {"<html>", FileEncoding::Ansi}, {"\xEF\xBB\xBF<html>", FileEncoding::Ansi},
      {"\xFE\xFE", FileEncoding::Ansi}};
  // clang-format on
  int n = 0;
  for (const auto& [bytes, expected] : cases) {
    const std::string path = dir.Write(std::to_string(n++) + ".htm", bytes);
    EXPECT_EQ(DetectEncoding(fs, path), expected) << ::testing::PrintToString(bytes);
  }
  // Files that cannot be read are single-byte: a missing one, a folder, one without permission
  // (which does not stop the superuser).
  EXPECT_EQ(DetectEncoding(fs, dir / "missing.htm"), FileEncoding::Ansi);
  EXPECT_EQ(DetectEncoding(fs, dir.MakeDir("folder.htm")), FileEncoding::Ansi);
  if (::geteuid() != 0) {
    const std::string locked = dir.Write("locked.htm", "\xFF\xFE<\0");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(DetectEncoding(fs, locked), FileEncoding::Ansi);
  }
  const std::uint8_t le[] = {0xFF, 0xFE};
  EXPECT_EQ(DetectEncodingFromBytes(le, 2), FileEncoding::Utf16Le);
  EXPECT_EQ(DetectEncodingFromBytes(le, 1), FileEncoding::Ansi);
  EXPECT_EQ(DetectEncodingFromBytes(nullptr, 0), FileEncoding::Ansi);
}

TEST(TextLoading, BigEndianFileIsScannedAsLittleEndianAfterTheSwap) {
  testing::TempDir dir;
  const std::string path =
      dir.WriteBytes("be.htm", testing::Utf16Bytes("<a href=\"é.htm\">x</a>", true));
  PosixFileSystem fs;
  ASSERT_EQ(DetectEncoding(fs, path), FileEncoding::Utf16Be);
  ReadResult read = fs.ReadWholeFile(path);
  ASSERT_EQ(read.Status, ReadStatus::Ok);
  ByteSwapText(read.Bytes.data(), read.Bytes.size());
  const TextView text{read.Bytes.data(), static_cast<Pos>(read.Bytes.size()), FileEncoding::Utf16Be,
                      CodePage::Utf8};
  EXPECT_EQ(CharAt(text, 4), 'a');
  const Pos tag = FindTag(text, "A", 0);
  EXPECT_EQ(tag, 2);  // after the byte-order mark
  EXPECT_EQ(NextAfterTag(text, tag), 34);
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
