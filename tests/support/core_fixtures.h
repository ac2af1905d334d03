// Helpers of the core tests: a real file system with failures injected, and byte forms of text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

  ReadResult ReadWholeFile(const std::string& path) override;
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

inline std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}
// UTF-16 text with its byte-order mark, as the bytes of a file.
std::string Utf16Text(std::string_view utf8, bool bigEndian = false);

}  // namespace urlsmith::testing
