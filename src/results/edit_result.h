// Editing the replacement of a review line: the value typed, chosen with Browse, restored with
// "Copy Old" or cleared with "Delete" is normalised, stored into every row of the line's group,
// and the line is rewritten in place.
#pragma once

#include <string>
#include <string_view>

#include "results/file_choice.h"
#include "results/result_list.h"

namespace urlsmith {

// The editor's value in stored form: normalised, and whether it carries the relative mark.
struct EditedValue {
  std::string Value;
  bool Relative = false;
};

// Normalises the editor's text: a drive path becomes a file:/// URL; separators are converted
// and, with `canonicalize`, unsafe characters escaped. The relative flag survives only for a
// file:/// value (ASCII case ignored).
EditedValue NormalizeEditedValue(std::string_view text, bool relativeChecked, bool canonicalize,
                                 PathStyle style);

// The new Replacement of a row: the target mark when the old value had it (a target change stays
// one), else the relative mark when the value has it; then the value, in double quotes when the
// old value was quoted (the value as found had no quotes of its own).
std::string BuildReplacement(std::string_view oldReplacement, const EditedValue& edited);

// Stores the editor's value into every row of the selected line's group, in table order, and
// rewrites the line at its place with its item data; the top index and the selection are kept
// and the horizontal extent is measured anew over all lines. The editor then shows the stored
// value without mark and quotes; its relative box is cleared when the value is not file:///.
// Returns the number of rows changed: 0 when nothing is selected or the line shows no rows
// (the notice and ORPHAN lines), and then nothing changes.
int ApplyEdit(ResultStep& step);

// ---- Commands of the editor -----------------------------------------------------------------

// "Apply": ApplyEdit, then RefreshSelection.
void ApplyClicked(ResultStep& step);
// "Make relative / Use base URL" clicked: takes effect at once (ApplyEdit).
void RelativeToggled(ResultStep& step, bool checked);
// "Copy Old": the edit gets the URL of the group's first row (stored only by a later Apply).
void CopyOldClicked(ResultStep& step);
// "Delete": the edit is emptied (stored only by a later Apply).
void DeleteClicked(ResultStep& step);

// "Browse...": asks for a file with FileDialogKind::Replacement (starting in the editor's browse
// folder, or in lastRootFolder the first time); on OK stores the file at once as a relative
// file:/// replacement, refreshes the editor and remembers the file's folder. Returns false when
// the user cancelled.
bool BrowseClicked(ResultStep& step, const FileChooser& chooser, std::string_view lastRootFolder);

}  // namespace urlsmith
