// The open-file dialog that the review steps use to pick a replacement file. The window system
// supplies the chooser and words the dialog; the logic only says which dialog it means.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace urlsmith {

// Which dialog is asked for: the review's replacement of a line (any file a link may point to),
// or the replacement image of deleted pictures and backgrounds.
enum class FileDialogKind { Replacement, Image };

// What the dialog shows. The chosen file and its folder must exist; there is no read-only box.
struct FileDialogRequest {
  FileDialogKind Kind = FileDialogKind::Replacement;
  std::string StartFolder;  // empty: the system's default folder
};

// Shows an open-file dialog; the chosen path, or nothing when the user cancelled.
using FileChooser = std::function<std::optional<std::string>(const FileDialogRequest&)>;

}  // namespace urlsmith
