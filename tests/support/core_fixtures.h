// Helpers of the core tests: a real file system with failures injected, and byte forms of text.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search_model.h"
#include "results/result_list.h"
#include "text/file_system.h"

namespace urlsmith::testing {

// The real file system with chosen operations failing: `fault` decides for every call whether
// it fails and with which errno (0: it goes on normally). `path` is the file read, the file a
// temporary file is written beside, or the source of a link or rename; `to` its target. The
// link search reads from several threads at once, so `fault` must be safe to call concurrently.
class FaultyFs : public PosixFileSystem {
 public:
  enum class Op { Read, Write, Link, Rename };
  std::function<int(Op, const std::string& path, const std::string& to)> fault;

  using PosixFileSystem::ReadWholeFile;
  void ReadWholeFile(const std::string& path, ReadResult& into) override;
  std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                      std::size_t count) override;
  std::optional<std::string> WriteTempFile(const std::string& nearPath,
                                           const std::vector<std::uint8_t>& bytes,
                                           const FileInfo& like, std::string* error) override;
  bool HardLink(const std::string& from, const std::string& to, std::string* error) override;
  bool Rename(const std::string& from, const std::string& to, std::string* error) override;

 private:
  int Fault(Op op, const std::string& path, const std::string& to = {}) const {
    return fault ? fault(op, path, to) : 0;
  }
};

// A row described by the text around it, for hand-made link tables. `tag` is where the tag
// begins in the page ("<a": its first occurrence; "+<a": a row that adds a target to that tag;
// "style" and "script": a value found outside tags), `value` the value as written with its
// quotes, found from the tag on. The URL is the value without its quotes unless given.
struct RowText {
  std::string tag, value, replacement, url = {};
};
LinkEntry RowIn(std::string_view page, const RowText& text, int fileIndex = 0);

// A review over hand-made rows: a session over `files` (path, whether a link refers to it), its
// list and its step with `options`, the list built.
struct Review {
  using Files = std::vector<std::pair<std::string, bool>>;
  explicit Review(std::vector<LinkEntry> rows, ResultOptions options = {},
                  PathStyle style = PathStyle::Posix,
                  const Files& files = {{"/s/a.htm", true}, {"/s/unused.gif", false}});
  Review(const Review&) = delete;
  Review& operator=(const Review&) = delete;
  // Builds the list again over these rows with these options.
  void Fill(std::vector<LinkEntry> rows, ResultOptions options);
  // Selects the line of a group and refreshes the editor, as a click in the list does.
  void Select(std::int32_t group);
  std::vector<std::string> Replacements() const;

  SearchSession session;
  VectorResultList list;
  ResultStep step;
};

// The same ASCII text as single-byte text (width 1) and as UTF-16 (width 2), for tables that run
// on both; At turns a position in characters into bytes (negative positions stay).
struct BothForms {
  std::string ansi;
  std::vector<std::uint8_t> wide;
  explicit BothForms(std::string_view text);
  TextView View(int width) const;
};
inline Pos At(Pos chars, int width) {
  return chars < 0 ? chars : chars * width;
}
// UTF-16LE bytes of `utf8` without a byte-order mark, then raw units (lone surrogates too).
std::vector<std::uint8_t> Utf16Units(std::string_view utf8,
                                     std::initializer_list<std::uint32_t> units);

// The log line of the apply run for a file of `size` bytes.
std::string ProcessingLine(const std::string& path, std::size_t size, std::string_view end);
// A file's permission bits (0 when it has none).
unsigned ModeOf(const std::string& path);

inline std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}
// UTF-16 text with its byte-order mark, as the bytes of a file.
std::string Utf16Text(std::string_view utf8, bool bigEndian = false);

}  // namespace urlsmith::testing
