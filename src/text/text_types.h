// Basic types shared by the text layer and everything above it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace urlsmith {

// A byte offset into a file's text, or kNone. Offsets are always bytes, whatever the encoding.
using Pos = std::int64_t;
inline constexpr Pos kNone = -1;

// How a web file's bytes are to be read. The numbers are the stored codes.
enum class FileEncoding : std::uint8_t { Ansi = 0, Utf16Le = 1, Utf16Be = 2 };

// The code page that single-byte text is in and that UTF-16 units are converted to.
// Real runs use UTF-8; Windows-1252 reproduces the original single-byte behaviour in tests.
enum class CodePage : std::uint8_t { Utf8, Windows1252 };

// Paths of the running platform (POSIX: '/' separators, no drives) or of the Windows design
// (drive letters, '\' separators, "file:///D|/a/b.htm" URLs). The engine takes the style as a
// value so that both are exercised by the tests.
enum class PathStyle : std::uint8_t { Posix, Windows };

// The separator that folders of a path end with in the given style.
constexpr char PathSeparator(PathStyle style) {
  return style == PathStyle::Windows ? '\\' : '/';
}

// Whether c separates folders in the given style ('/' always, '\' too in Windows style).
constexpr bool IsPathSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

// The offset of a path's last separator (Windows style: the last '\', else the last '/'; POSIX
// style: the last '/'), or npos when it has none.
constexpr std::size_t LastSeparator(std::string_view path, PathStyle style) {
  std::size_t sep = std::string_view::npos;
  if (style == PathStyle::Windows) sep = path.rfind('\\');
  if (sep == std::string_view::npos) sep = path.rfind('/');
  return sep;
}

// The name of a path or URL: the text after its last separator (all of it when it has none).
constexpr std::string_view FileNameOf(std::string_view path, PathStyle style) {
  const std::size_t sep = LastSeparator(path, style);
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

// Longest path the platform handles. Longer paths are skipped with a message.
constexpr std::size_t MaxPathLength(PathStyle style) {
  return style == PathStyle::Windows ? 259 : 4095;
}

// Remembers, per quote kind and value mode, the earliest place from which a value was found to
// run to the end of the text without ending. A value of the same kind and mode that starts
// later runs out too, so reading it again is skipped: many unclosed values in one text (a
// thousand "url(" with no ")") then cost one pass instead of one pass each.
struct ValueRunOutMemo {
  static constexpr int kKinds = 6;
  static constexpr int kModes = 4;
  Pos From[kKinds][kModes];
  ValueRunOutMemo() {
    for (auto& kind : From) {
      for (Pos& p : kind)
        p = -1;
    }
  }
};

// A read-only view of a whole file's text: the bytes, their count and how to read them.
// A Utf16Be text has already been byte-swapped: its units are little-endian in memory.
struct TextView {
  const std::uint8_t* Data = nullptr;
  Pos Size = 0;
  FileEncoding Encoding = FileEncoding::Ansi;
  urlsmith::CodePage CodePage = urlsmith::CodePage::Utf8;
  // Optional: set by whoever reads many values of one text (the link search of a file).
  ValueRunOutMemo* RunOut = nullptr;

  // Bytes per character: 1 for single-byte text, 2 for UTF-16.
  constexpr int width() const { return Encoding == FileEncoding::Ansi ? 1 : 2; }
};

// A control character (1 to 31; NUL is none): the page scans step over them inside values and
// after tags.
constexpr bool IsControl(unsigned c) {
  return c >= 1 && c <= 31;
}
// A blank or a control character.
constexpr bool IsBlankOrControl(unsigned c) {
  return c >= 1 && c <= 32;
}

// ASCII-only letter case folding, the only folding the program ever does.
constexpr char FoldLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Inline: the search calls these for every link, mostly with a short literal to match.
constexpr bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldLower(a[i]) != FoldLower(b[i])) return false;
  }
  return true;
}
constexpr bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}
// Compares ignoring ASCII letter case; <0, 0 or >0 like strcmp (bytes compared unsigned).
int CompareIgnoreCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view s);

}  // namespace urlsmith
