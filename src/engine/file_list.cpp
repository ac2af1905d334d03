#include "engine/file_list.h"

#include <algorithm>
#include <cstring>

namespace urlsmith {

namespace {

// Eight bytes with their ASCII capitals made small, all at once: a byte gets 0x20 added when it
// lies in 'A'..'Z' (bytes of 0x80 and above stay as they are).
inline std::uint64_t FoldWord(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  const std::uint64_t low = w & ~kHigh;
  const std::uint64_t fromA = low + (0x80 - 'A') * kOnes;      // high bit: byte >= 'A'
  const std::uint64_t pastZ = low + (0x80 - 'Z' - 1) * kOnes;  // high bit: byte > 'Z'
  const std::uint64_t capitals = (fromA ^ pastZ) & ~w & kHigh;
  return w | (capitals >> 2);
}

// The eight bytes from `at` (fewer at the end, the rest zeros), letter case folded.
inline std::uint64_t FoldedWordAt(std::string_view s, std::size_t at) {
  std::uint64_t w = 0;
  if (s.size() - at >= 8) {
    std::memcpy(&w, s.data() + at, 8);  // one load
  } else {
    std::memcpy(&w, s.data() + at, s.size() - at);
  }
  return FoldWord(w);
}

std::uint64_t Mix(std::uint64_t h, std::uint64_t w) {
  h ^= w;
  h *= 0x9E3779B97F4A7C15ULL;
  return h ^ (h >> 29);
}

}  // namespace

std::size_t FoldedHash::operator()(std::string_view s) const {
  // Eight bytes at a time; the last, short word is filled with zeros and the length mixed in,
  // so that keys differing only in trailing NULs still hash apart.
  std::uint64_t h = s.size();
  for (std::size_t i = 0; i < s.size(); i += 8)
    h = Mix(h, FoldedWordAt(s, i));
  return static_cast<std::size_t>(Mix(h, 0));
}

bool FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  // Links mostly spell a file as the list does: the plain comparison settles those quickly.
  if (std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
  for (std::size_t i = 0; i < a.size(); i += 8) {
    if (FoldedWordAt(a, i) != FoldedWordAt(b, i)) return false;
  }
  return true;
}

namespace {

// The first '.' of the path that begins a step (at the start or after a separator); npos when
// there is none.
std::size_t FirstDotStep(std::string_view path, PathStyle style) {
  for (std::size_t dot = path.find('.'); dot != std::string_view::npos;
       dot = path.find('.', dot + 1)) {
    if (dot == 0 || IsPathSeparator(path[dot - 1], style)) return dot;
  }
  return std::string_view::npos;
}

// ResolveDotSegments for a path whose first dot step begins at `first`.
bool ResolveFrom(std::string& path, std::size_t first, PathStyle style) {
  // One pass: the resolved path is written over the path as it is read. The part before the
  // first step stays as it is, so the pass begins there.
  const std::size_t n = path.size();
  char* const out = path.data();
  std::size_t w = first;  // the resolved part ends here
  std::size_t r = first;  // the part still to read begins here
  if (first == 0 && n >= 2 && path[0] == '.' && IsPathSeparator(path[1], style)) r = 2;
  // After a separator written, the "." and ".." steps that follow it are taken out at once.
  const auto takeSteps = [&] {
    while (r < n && path[r] == '.') {
      if (r + 1 == n || IsPathSeparator(path[r + 1], style)) {
        // "." step: it goes, with the separator after it.
        r += r + 1 == n ? 1 : 2;
        continue;
      }
      if (path[r + 1] != '.' || !(r + 2 == n || IsPathSeparator(path[r + 2], style))) break;
      // ".." step: the folder before it goes with it; the separator before that folder stays.
      std::size_t j = w - 1;
      bool found = false;
      while (j > 0) {
        --j;
        if (IsPathSeparator(out[j], style)) {
          found = true;
          break;
        }
      }
      if (!found) return false;
      w = j + 1;
      r += r + 2 == n ? 2 : 3;
    }
    return true;
  };
  // A first step after the start follows a separator.
  if (first > 0 && !takeSteps()) return false;
  while (r < n) {
    const char c = path[r++];
    out[w++] = c;
    if (IsPathSeparator(c, style) && !takeSteps()) return false;
  }
  path.resize(w);
  return true;
}

}  // namespace

bool HasDotSegments(std::string_view path, PathStyle style) {
  return FirstDotStep(path, style) != std::string_view::npos;
}

bool ResolveDotSegments(std::string& path, PathStyle style) {
  // Most paths have no dot step.
  const std::size_t first = FirstDotStep(path, style);
  return first == std::string_view::npos || ResolveFrom(path, first, style);
}

int FileList::Append(std::string path) {
  paths_.push_back(std::move(path));
  marks_.push_back(0);
  const int index = size() - 1;
  IndexAppended(index);
  return index;
}

void FileList::AppendAll(std::vector<std::string> paths) {
  // No exact reserve here: adding one folder at a time would then copy the whole list each time.
  for (auto& p : paths)
    Append(std::move(p));
}

void FileList::Remove(std::vector<int> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  // Indices outside the list name no file; a negative one would otherwise hold up the others.
  indices.erase(indices.begin(), std::lower_bound(indices.begin(), indices.end(), 0));
  std::vector<std::string> paths;
  std::vector<std::uint8_t> marks;
  paths.reserve(paths_.size());
  marks.reserve(marks_.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    if (k < indices.size() && static_cast<std::size_t>(indices[k]) == i) {
      ++k;
      continue;
    }
    paths.push_back(std::move(paths_[i]));
    marks.push_back(marks_[i]);
  }
  paths_ = std::move(paths);
  marks_ = std::move(marks);
  RebuildIndex();
}

void FileList::Clear() {
  paths_.clear();
  marks_.clear();
  RebuildIndex();
}

void FileList::RebuildIndex() {
  byPath_.clear();
  byPathCount_ = 0;
  byName_.clear();
  byNameValid_ = false;
  for (int i = 0; i < size(); ++i)
    IndexAppended(i);
}

namespace {

std::uint32_t TagOf(std::uint64_t hash) {
  return static_cast<std::uint32_t>(hash >> 32);
}

}  // namespace

void FileList::GrowPathIndex() {
  std::vector<PathSlot> old = std::move(byPath_);
  byPath_.assign(std::max(kMinPathSlots, 2 * old.size()), PathSlot{});
  const std::size_t mask = byPath_.size() - 1;
  for (const PathSlot& s : old) {
    if (s.Index < 0) continue;
    const std::uint64_t h = FoldedHash{}(paths_[static_cast<std::size_t>(s.Index)]);
    std::size_t i = h & mask;
    while (byPath_[i].Index >= 0)
      i = (i + 1) & mask;
    byPath_[i] = s;
  }
}

void FileList::IndexAppended(int index) {
  const std::string& path = paths_[static_cast<std::size_t>(index)];
  if (2 * (byPathCount_ + 1) > byPath_.size()) GrowPathIndex();
  const std::uint64_t h = FoldedHash{}(path);
  const std::uint32_t tag = TagOf(h);
  const std::size_t mask = byPath_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    PathSlot& s = byPath_[i];
    if (s.Index < 0) {
      s = PathSlot{tag, index};
      ++byPathCount_;
      break;
    }
    // A path listed before keeps its lower index.
    if (s.Tag == tag && FoldedEqual{}(paths_[static_cast<std::size_t>(s.Index)], path)) break;
  }
  if (byNameValid_) byName_[std::string(FileNameOf(path, style_))].push_back(index);
}

int FileList::FindListedFile(std::string_view path, int count) const {
  // Only a path with dot steps needs a resolved copy; the others are looked up as they are. The
  // copy is made in a buffer of the thread's that is kept from lookup to lookup.
  thread_local std::string resolved;
  std::string_view key = path;
  if (const std::size_t first = FirstDotStep(path, style_); first != std::string_view::npos) {
    resolved.assign(path);
    if (!ResolveFrom(resolved, first, style_)) return -1;
    key = resolved;
  }
  if (byPath_.empty()) return -1;
  const std::uint64_t h = FoldedHash{}(key);
  const std::uint32_t tag = TagOf(h);
  const std::size_t mask = byPath_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const PathSlot& s = byPath_[i];
    if (s.Index < 0) return -1;
    if (s.Tag == tag && FoldedEqual{}(paths_[static_cast<std::size_t>(s.Index)], key)) {
      return s.Index < count ? s.Index : -1;
    }
  }
}

const std::vector<int>& FileList::FilesNamed(std::string_view name) const {
  if (!byNameValid_) {
    byName_.clear();
    for (int i = 0; i < size(); ++i) {
      byName_[std::string(FileNameOf(paths_[static_cast<std::size_t>(i)], style_))].push_back(i);
    }
    byNameValid_ = true;
  }
  static const std::vector<int> kNoFiles;
  const auto it = byName_.find(name);
  return it == byName_.end() ? kNoFiles : it->second;
}

}  // namespace urlsmith
