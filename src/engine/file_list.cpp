#include "engine/file_list.h"

#include <algorithm>

namespace urlsmith {

bool ResolveDotSegments(std::string& path, PathStyle style) {
  // Most paths have no dot step: a '.' at the start or right after a separator.
  const std::string_view view = path;
  bool steps = false;
  for (std::size_t dot = view.find('.'); !steps && dot != std::string_view::npos;
       dot = view.find('.', dot + 1)) {
    steps = dot == 0 || IsPathSeparator(view[dot - 1], style);
  }
  if (!steps) return true;
  if (path.size() >= 2 && path[0] == '.' && IsPathSeparator(path[1], style)) path.erase(0, 2);
  std::size_t i = 0;
  while (i < path.size()) {
    if (!IsPathSeparator(path[i], style)) {
      ++i;
      continue;
    }
    const std::size_t n = path.size();
    // "." step: the separator, '.', then a separator or the end.
    if (i + 1 < n && path[i + 1] == '.' && (i + 2 == n || IsPathSeparator(path[i + 2], style))) {
      path.erase(i + 1, i + 2 == n ? 1 : 2);
      continue;
    }
    // ".." step: removes the folder before it together with itself.
    if (i + 2 < n && path[i + 1] == '.' && path[i + 2] == '.' &&
        (i + 3 == n || IsPathSeparator(path[i + 3], style))) {
      std::size_t j = i;
      bool found = false;
      while (j > 0) {
        --j;
        if (IsPathSeparator(path[j], style)) {
          found = true;
          break;
        }
      }
      if (!found) return false;
      path.erase(j + 1, (i + 3 == n ? i + 3 : i + 4) - (j + 1));
      i = j;
      continue;
    }
    ++i;
  }
  return true;
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
  byName_.clear();
  byNameValid_ = false;
  for (int i = 0; i < size(); ++i)
    IndexAppended(i);
}

void FileList::IndexAppended(int index) {
  byPath_.try_emplace(ToLowerAscii(paths_[static_cast<std::size_t>(index)]), index);
  if (byNameValid_) {
    byName_[ToLowerAscii(FileNameOf(paths_[static_cast<std::size_t>(index)], style_))].push_back(
        index);
  }
}

int FileList::FindListedFile(std::string_view path, int count) const {
  std::string key(path);
  if (!ResolveDotSegments(key, style_)) return -1;
  std::transform(key.begin(), key.end(), key.begin(), FoldLower);
  const auto it = byPath_.find(key);
  if (it == byPath_.end() || it->second >= count) return -1;
  return it->second;
}

const std::vector<int>& FileList::FilesNamed(std::string_view name) const {
  if (!byNameValid_) {
    byName_.clear();
    for (int i = 0; i < size(); ++i) {
      byName_[ToLowerAscii(FileNameOf(paths_[static_cast<std::size_t>(i)], style_))].push_back(i);
    }
    byNameValid_ = true;
  }
  static const std::vector<int> kNoFiles;
  const auto it = byName_.find(ToLowerAscii(name));
  return it == byName_.end() ? kNoFiles : it->second;
}

}  // namespace urlsmith
