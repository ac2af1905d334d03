#include "support/core_fixtures.h"

#include <cstring>

#include "support/test_support.h"

namespace urlsmith::testing {

ReadResult FaultyFs::ReadWholeFile(const std::string& path) {
  if (const int code = Fault(Op::Read, path); code != 0) {
    ReadResult r;
    r.Status = ReadStatus::Unreadable;
    r.Error = std::strerror(code);
    return r;
  }
  return PosixFileSystem::ReadWholeFile(path);
}

std::optional<std::vector<std::uint8_t>> FaultyFs::ReadPrefix(const std::string& path,
                                                              std::size_t count) {
  if (Fault(Op::Read, path) != 0) return std::nullopt;
  return PosixFileSystem::ReadPrefix(path, count);
}

std::optional<std::string> FaultyFs::WriteTempFile(const std::string& nearPath,
                                                   const std::vector<std::uint8_t>& bytes,
                                                   const FileInfo& like, std::string* error) {
  if (const int code = Fault(Op::Write, nearPath); code != 0) {
    *error = std::strerror(code);
    return std::nullopt;
  }
  return PosixFileSystem::WriteTempFile(nearPath, bytes, like, error);
}

bool FaultyFs::HardLink(const std::string& from, const std::string& to, std::string* error) {
  if (const int code = Fault(Op::Link, from, to); code != 0) {
    *error = std::strerror(code);
    return false;
  }
  return PosixFileSystem::HardLink(from, to, error);
}

bool FaultyFs::Rename(const std::string& from, const std::string& to, std::string* error) {
  if (const int code = Fault(Op::Rename, from, to); code != 0) {
    *error = std::strerror(code);
    return false;
  }
  return PosixFileSystem::Rename(from, to, error);
}

std::string Utf16Text(std::string_view utf8, bool bigEndian) {
  return AsText(Utf16Bytes(utf8, bigEndian));
}

}  // namespace urlsmith::testing
