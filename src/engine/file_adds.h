// Adding files to the file list: a folder (optionally with its subfolders) or a selection of
// files. Both skip files already listed, poll for ESC and keep what was added when stopped.
#pragma once

#include <string>
#include <vector>

#include "engine/file_list.h"
#include "engine/run_view.h"
#include "text/file_system.h"

namespace urlsmith {

struct AddResult {
  bool Stopped = false;  // ESC ended the add
  int Added = 0;         // files appended to the list
  int Skipped = 0;       // paths too long for the platform (each reported in the log)
  int Unlisted = 0;      // folders that could not be listed
};

// Adds a folder's files in ascending order ignoring ASCII case after everything listed before,
// then (recurse) each subfolder the same way, depth-first in ascending order.
AddResult FolderAdd(FileList& list, FileSystem& fs, RunView& view, bool recurse,
                    const std::string& folder);

// Adds chosen files (full paths) in the given order, skipping those listed before the add.
AddResult SelectionAdd(FileList& list, RunView& view, const std::vector<std::string>& paths);

// folder + separator (unless it ends with one) + name.
std::string JoinPath(const std::string& folder, const std::string& name, PathStyle style);

}  // namespace urlsmith
