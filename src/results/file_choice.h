// The open-file dialog that the review steps use to pick a replacement file. The window system
// supplies the chooser; the logic only describes what to ask for.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace urlsmith {

// One entry of the dialog's type list: the name shown and its ';'-separated patterns.
struct FileFilter {
  std::string name;
  std::string patterns;
};

// What the dialog shows. The chosen file and its folder must exist; there is no read-only box.
struct FileDialogRequest {
  std::string title;
  std::string startFolder;  // empty: the system's default folder
  std::vector<FileFilter> filters;
};

// Shows an open-file dialog; the chosen path, or nothing when the user cancelled.
using FileChooser = std::function<std::optional<std::string>(const FileDialogRequest&)>;

}  // namespace urlsmith
