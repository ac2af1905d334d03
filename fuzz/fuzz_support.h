// What the fuzz programs share: a file system in memory, a small site around the page under
// test, and the options a fuzz input chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search_model.h"
#include "text/file_system.h"

namespace urlsmith::fuzzing {

// Files held in memory by path; folders are the paths' prefixes. Nothing is ever written.
class MemoryFileSystem : public FileSystem {
 public:
  void Put(std::string path, std::vector<std::uint8_t> bytes);

  using FileSystem::ReadWholeFile;
  void ReadWholeFile(const std::string& path, ReadResult& into) override;
  std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                      std::size_t count) override;
  std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) override;
  bool IsDirectory(const std::string& path) override;
  bool Exists(const std::string& path) override;
  std::string CanonicalPath(const std::string& path) override;

 private:
  std::map<std::string, std::vector<std::uint8_t>> files_;
};

// The first two bytes of a page input choose how the rest is stored and searched.
//   byte 0, bits 0-1: the rest as it is (single-byte text, or UTF-16 when it starts with a
//                     byte-order mark), as raw little-endian UTF-16 units after FF FE, or
//                     widened byte by byte to UTF-16 LE or BE with a byte-order mark;
//           bit 2:    Windows-1252 instead of UTF-8;   bit 3: Windows paths;
//           bits 4-5: the page is an .htm, a .css, a .js or an .html file;
//           bits 6-7: ScanScriptsByTag, UseSavedFromUrl off;
//   byte 1: UseBaseUrl, KeepUncheckedInternetUrls, absolute URLs, the target adder, deleting
//           script links, deleting unknown protocols, no protocol names, no canonical URLs.
// Inputs shorter than two bytes give an empty page with every choice at 0.
struct PageInput {
  std::uint8_t Flags0 = 0;
  std::uint8_t Flags1 = 0;
  std::vector<std::uint8_t> Bytes;  // the page file as stored
};
PageInput ReadPageInput(const std::uint8_t* data, std::size_t size);

// A session over a small site in memory: the page (file 0) and a few other files (pictures,
// pages, a style sheet) that its links can find. Internet checks are off.
struct Site {
  std::shared_ptr<MemoryFileSystem> Files;
  std::unique_ptr<SearchSession> Session;
  std::string PagePath;
};
Site MakeSite(const PageInput& input);

}  // namespace urlsmith::fuzzing
