#include "results/edit_result.h"

#include <algorithm>

#include "results/url_value.h"
#include "text/primitives.h"
#include "text/replacement.h"

namespace urlsmith {

EditedValue NormalizeEditedValue(std::string_view text, bool relativeChecked, bool canonicalize,
                                 PathStyle style) {
  std::string typed;
  if (IsDrivePath(text, style)) typed = "file:///";
  typed.append(text);
  EditedValue edited;
  edited.Relative = relativeChecked && typed.size() >= 8 && StartsWithIgnoreCase(typed, "file:///");
  edited.Value = NormalizeUrlValue(typed, canonicalize, style);
  return edited;
}

std::string BuildReplacement(std::string_view oldReplacement, const EditedValue& edited) {
  const ReplacementText old(oldReplacement);
  const std::string_view mark = old.IsTarget()    ? kTargetMark
                                : edited.Relative ? kRelativeMark
                                                  : std::string_view();
  return ReplacementText::Make(mark, edited.Value, old.quoted());
}

int ApplyEdit(ResultStep& step) {
  ResultListModel& list = step.List;
  const int selected = list.Selection();
  const std::int32_t group =
      (selected >= 0 && selected < list.Count()) ? list.ItemData(selected) : kNoGroup;
  // Rows that no line shows carry kNoGroup too: a line without rows must never reach them.
  if (group < 0) return 0;
  if (step.Hooks.SetWaitCursor) step.Hooks.SetWaitCursor(true);
  const int top = list.TopIndex();

  const EditedValue edited =
      NormalizeEditedValue(step.Editor.Text, step.Editor.Relative,
                           step.Session.Processing.CanonicalizeUrls, step.Session.pathStyle());
  step.Editor.Relative = edited.Relative;

  std::vector<LinkEntry>& table = step.Session.LinkTable;
  int changed = 0;
  std::size_t lastRow = 0;
  const std::size_t rows = std::min(table.size(), step.ResultGroup.size());
  for (std::size_t i = 0; i < rows; ++i) {
    if (step.ResultGroup[i] != group) continue;
    table[i].Replacement = BuildReplacement(table[i].Replacement, edited);
    lastRow = i;
    ++changed;
  }
  if (changed > 0) {
    list.DeleteLine(selected);
    list.InsertLine(selected, ResultLineText(table[lastRow], changed), group);
    list.SetTopIndex(top);
    list.SetSelection(selected);
    UpdateListExtent(step, "");
    for (int k = 0; k < list.Count(); ++k) {
      UpdateListExtent(step, list.Text(k));
    }
    step.Editor.Text = ReplacementText(table[lastRow].Replacement).value();
  }
  if (step.Hooks.SetWaitCursor) step.Hooks.SetWaitCursor(false);
  return changed;
}

void ApplyClicked(ResultStep& step) {
  ApplyEdit(step);
  RefreshSelection(step);
}

void RelativeToggled(ResultStep& step, bool checked) {
  step.Editor.Relative = checked;
  ApplyEdit(step);
}

void CopyOldClicked(ResultStep& step) {
  const int selected = step.List.Selection();
  if (selected < 0 || selected >= step.List.Count()) return;
  const int first = FirstRowOfGroup(step, step.List.ItemData(selected));
  if (first < 0 || static_cast<std::size_t>(first) >= step.Session.LinkTable.size()) return;
  step.Editor.Text = step.Session.LinkTable[static_cast<std::size_t>(first)].Url;
}

void DeleteClicked(ResultStep& step) {
  step.Editor.Text.clear();
}

bool BrowseClicked(ResultStep& step, const FileChooser& chooser, std::string_view lastRootFolder) {
  if (step.Editor.BrowseFolder.empty()) step.Editor.BrowseFolder.assign(lastRootFolder);
  const std::optional<std::string> chosen =
      chooser ? chooser(FileDialogRequest{FileDialogKind::Replacement, step.Editor.BrowseFolder})
              : std::nullopt;
  if (!chosen) return false;
  const PathStyle style = step.Session.pathStyle();
  // A Windows path is a drive path that the edit turns into a file URL itself; a POSIX path has
  // no drive, so it enters the edit as its file URL.
  step.Editor.Text = style == PathStyle::Windows ? *chosen : FileUrlOfPath(*chosen, style);
  step.Editor.Relative = true;
  ApplyEdit(step);
  RefreshSelection(step);
  step.Editor.BrowseFolder = FolderOf(*chosen, style);
  return true;
}

}  // namespace urlsmith
