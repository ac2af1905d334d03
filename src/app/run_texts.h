// The wizard's wording of what the core names without words: the status hints that name the
// run's keys, the sorting hint of the review's count label, the Next button's caption after
// applying, and the open-file dialogs. Plain C++, so that it is tested without a window system.
#pragma once

#include <span>
#include <string_view>

#include "apply/apply_run.h"
#include "engine/run_view.h"
#include "results/file_choice.h"

namespace urlsmith::app {

// The status line for a key hint ("Press ESC to stop", ...); a line break may stand in it.
std::string_view StatusKeyText(StatusKey key);

// The count label while the review list is sorted.
inline constexpr std::string_view kSortingLabel = "Sorting... Press ESC to stop";

// The caption of the Next button after applying, with its '&' mnemonic.
std::string_view NextButtonCaption(AfterApply next);

// One entry of a file dialog's type list: the name shown and its ';'-separated patterns.
struct FileFilter {
  std::string_view name;
  std::string_view patterns;
};

// The title of a file dialog.
std::string_view FileDialogTitle(FileDialogKind kind);
// The type list of a file dialog; the first entry is selected when it opens.
std::span<const FileFilter> FileDialogFilters(FileDialogKind kind);

}  // namespace urlsmith::app
