// The file system as the core sees it. The real one is PosixFileSystem; tests may wrap it to
// inject failures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace urlsmith {

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};

enum class ReadStatus { Ok, Empty, Unreadable, TooLarge };

struct ReadResult {
  ReadStatus status = ReadStatus::Unreadable;
  std::vector<std::uint8_t> bytes;
  std::string error;  // why it could not be read, for messages
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file in one buffer. Size 0 gives Empty; files of 2 GiB or more give TooLarge.
  virtual ReadResult ReadWholeFile(const std::string& path) = 0;
  // Up to `count` bytes from the start of the file (fewer when it is shorter); nullopt when it
  // cannot be opened or read.
  virtual std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                              std::size_t count) = 0;
  // The entries of a folder except "." and ".."; nullopt when it cannot be listed.
  virtual std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // The path with every symbolic link and "."/".." resolved, used to notice folder loops;
  // empty when it cannot be resolved.
  virtual std::string CanonicalPath(const std::string& path) = 0;
};

class PosixFileSystem : public FileSystem {
 public:
  ReadResult ReadWholeFile(const std::string& path) override;
  std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                      std::size_t count) override;
  std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) override;
  bool IsDirectory(const std::string& path) override;
  bool Exists(const std::string& path) override;
  std::string CanonicalPath(const std::string& path) override;
};

}  // namespace urlsmith
