#include "engine/file_adds.h"

#include <algorithm>
#include <unordered_set>

namespace urlsmith {

std::string JoinPath(const std::string& folder, const std::string& name, PathStyle style) {
  const char sep = PathSeparator(style);
  std::string path = folder;
  if (path.empty() || path.back() != sep) path.push_back(sep);
  path += name;
  return path;
}

namespace {

bool ByFoldedName(const std::string& a, const std::string& b) {
  return CompareIgnoreCase(a, b) < 0;
}

class FolderAdder {
 public:
  FolderAdder(FileList& list, FileSystem& fs, RunView& view) : list_(list), fs_(fs), view_(view) {}

  // Returns true when ESC stopped the add.
  bool Add(bool recurse, const std::string& folder) {
    // A folder reached twice through symbolic links is added once, so loops end.
    const std::string canonical = fs_.CanonicalPath(folder);
    if (!canonical.empty() && !visited_.insert(canonical).second) return false;

    auto entries = fs_.ListFolder(folder);
    if (!entries) {
      ++result.Unlisted;
      return false;
    }
    // Enumeration order is the name order, so that equal names ignoring case keep one order.
    std::sort(entries->begin(), entries->end(),
              [](const DirEntry& a, const DirEntry& b) { return a.Name < b.Name; });

    std::vector<std::string> files;
    std::vector<std::string> subfolders;
    bool stopped = false;
    for (auto& e : *entries) {
      if (e.IsDirectory) {
        if (recurse) subfolders.push_back(std::move(e.Name));
        continue;
      }
      // The temporary files of a file being replaced are never listed; those of a run that
      // was killed are removed.
      if (const std::optional<long> writer = TempFileWriter(e.Name)) {
        if (!fs_.ProcessRuns(*writer)) {
          const std::string path = JoinPath(folder, e.Name, list_.style());
          std::string error;
          view_.AppendLogLine(path + (fs_.Remove(path, &error)
                                          ? " ... removed: left behind by an interrupted run"
                                          : " ... left behind by an interrupted run, cannot be "
                                            "removed: " +
                                                error),
                              false);
        }
        continue;
      }
      files.push_back(std::move(e.Name));
      if (view_.StopPoll() == Poll::Stop) {
        stopped = true;
        break;
      }
    }

    const PathStyle style = list_.style();
    const int start = list_.size();
    std::vector<std::string> fresh;
    fresh.reserve(files.size());
    for (const auto& name : files) {
      std::string path = JoinPath(folder, name, style);
      if (path.size() > MaxPathLength(style)) {
        view_.AppendLogLine(path + " ... skipped: the path is too long", false);
        ++result.Skipped;
        continue;
      }
      if (list_.FindListedFile(path, start) < 0) fresh.push_back(std::move(path));
    }
    std::stable_sort(fresh.begin(), fresh.end(), ByFoldedName);
    result.Added += static_cast<int>(fresh.size());
    list_.AppendAll(std::move(fresh));

    if (stopped) return true;
    if (recurse && !subfolders.empty()) {
      std::stable_sort(subfolders.begin(), subfolders.end(), ByFoldedName);
      for (const auto& name : subfolders) {
        if (Add(true, JoinPath(folder, name, style))) return true;
      }
    }
    return false;
  }

  AddResult result;

 private:
  FileList& list_;
  FileSystem& fs_;
  RunView& view_;
  std::unordered_set<std::string> visited_;
};

}  // namespace

AddResult FolderAdd(FileList& list, FileSystem& fs, RunView& view, bool recurse,
                    const std::string& folder) {
  FolderAdder adder(list, fs, view);
  adder.result.Stopped = adder.Add(recurse, folder);
  return adder.result;
}

AddResult SelectionAdd(FileList& list, RunView& view, const std::vector<std::string>& paths) {
  AddResult result;
  const int count = list.size();
  const PathStyle style = list.style();
  for (const auto& path : paths) {
    if (path.size() > MaxPathLength(style)) {
      view.AppendLogLine(path + " ... skipped: the path is too long", false);
      ++result.Skipped;
    } else if (list.FindListedFile(path, count) < 0) {
      list.Append(path);
      ++result.Added;
    }
    // A single chosen file is added at once; several are added one by one with ESC polled.
    if (paths.size() > 1 && view.StopPoll() == Poll::Stop) {
      result.Stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace urlsmith
