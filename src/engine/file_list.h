// The list of files a search treats as existing: pages to scan and every file a link may point
// to. A file's position is its FileIndex. Lookups by path go through a case-insensitive index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/text_types.h"

namespace urlsmith {

// Hashing and equality for keys that ignore ASCII letter case, usable with any string_view, so
// that a lookup neither copies nor folds its key first.
struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const;
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class FileList {
 public:
  explicit FileList(PathStyle style = PathStyle::Posix) : style_(style) {}

  PathStyle style() const { return style_; }
  int size() const { return static_cast<int>(paths_.size()); }
  bool empty() const { return paths_.empty(); }
  const std::string& path(int index) const { return paths_[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& paths() const { return paths_; }

  // The ReferencedMark: set once some link resolves to the file; never cleared by a search.
  bool referenced(int index) const { return marks_[static_cast<std::size_t>(index)] != 0; }
  void SetReferenced(int index, bool on = true) {
    marks_[static_cast<std::size_t>(index)] = on ? 1 : 0;
  }

  // Appends a file (ReferencedMark 0) and returns its index.
  int Append(std::string path);
  // Appends many files at once.
  void AppendAll(std::vector<std::string> paths);
  // Removes the files at the given indices (any order, duplicates ignored).
  void Remove(std::vector<int> indices);
  void Clear();

  // The index of the first of the first `count` files equal to path (ASCII case ignored), after
  // ".." and "." steps of path were resolved; -1 when there is none. A ".." with no folder
  // before it gives -1.
  int FindListedFile(std::string_view path, int count) const;
  int FindListedFile(std::string_view path) const { return FindListedFile(path, size()); }

  // The indices of the files whose name (text after the last separator) equals `name` ignoring
  // ASCII case, ascending.
  const std::vector<int>& FilesNamed(std::string_view name) const;

 private:
  void RebuildIndex();
  void IndexAppended(int index);
  // Doubles the path index (at least kMinPathSlots slots) and places every entry anew.
  void GrowPathIndex();

  // A slot of the path index: the high half of the folded path's hash and the lowest index of
  // the files with that path (-1: the slot is free).
  struct PathSlot {
    std::uint32_t Tag = 0;
    std::int32_t Index = -1;
  };
  static constexpr std::size_t kMinPathSlots = 16;

  PathStyle style_;
  std::vector<std::string> paths_;
  std::vector<std::uint8_t> marks_;
  // Path (letter case ignored) -> lowest index with that path: open addressing with linear
  // probes over a power-of-two table at most half full; the keys are the listed paths
  // themselves, so a lookup reads the slots and the one path it compares.
  std::vector<PathSlot> byPath_;
  std::size_t byPathCount_ = 0;
  // File name (letter case ignored) -> ascending indices; built on first use.
  mutable std::unordered_map<std::string, std::vector<int>, FoldedHash, FoldedEqual> byName_;
  mutable bool byNameValid_ = false;
};

// Resolves "." and ".." steps of a path in place: a ".." removes the folder before it; a
// trailing ".." keeps the separator before it. Returns false when a ".." has no folder before
// it. Windows style takes '\' and '/' as separators, POSIX style '/'.
bool ResolveDotSegments(std::string& path, PathStyle style);
// Whether the path has a "." or ".." step for ResolveDotSegments to resolve: a '.' at the start
// or right after a separator.
bool HasDotSegments(std::string_view path, PathStyle style);

}  // namespace urlsmith
