// The review of the planned changes (wizard step 6): the LinkTable shown as grouped lines with
// DELETE, REPLACE, TARGET and ORPHAN prefixes, the sort of the table, the filters, and the state
// of the replacement editor. The window system only supplies the list (ResultListModel) and a
// few hooks (ResultHooks); everything else is plain logic over the SearchSession.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

// ---- The list ------------------------------------------------------------------------------

// The lines of the review, in the order they were added (the list never sorts itself). Each line
// carries an item data: the group number of an entry line, kNoGroup for the notice line and for
// ORPHAN lines. The selection and the top index are line indices, -1 for "none".
class ResultListModel {
 public:
  virtual ~ResultListModel() = default;

  virtual int Count() const = 0;
  // Removes every line; nothing is selected afterwards and the top index is 0.
  virtual void Clear() = 0;
  // Appends a line and returns its index.
  virtual int AddLine(std::string text, std::int32_t itemData) = 0;
  // Inserts a line before `index`; index -1 or Count() appends. A selection at or after the
  // index moves with its line.
  virtual void InsertLine(int index, std::string_view text, std::int32_t itemData) = 0;
  // Deletes a line; a selection of that line is lost, a later one moves with its line.
  virtual void DeleteLine(int index) = 0;
  virtual std::string Text(int index) const = 0;
  virtual void SetText(int index, std::string_view text) = 0;
  virtual std::int32_t ItemData(int index) const = 0;
  virtual void SetItemData(int index, std::int32_t data) = 0;
  // The selected line, -1 when none.
  virtual int Selection() const = 0;
  // Selects a line; -1 (or an index out of range) clears the selection.
  virtual void SetSelection(int index) = 0;
  virtual int TopIndex() const = 0;
  virtual void SetTopIndex(int index) = 0;
  // The width the list can be scrolled to horizontally, in device units.
  virtual void SetHorizontalExtent(int width) = 0;
};

// The list in memory, for the command line and the tests.
class VectorResultList : public ResultListModel {
 public:
  struct Line {
    std::string Text;
    std::int32_t Data = 0;
  };

  int Count() const override { return static_cast<int>(lines_.size()); }
  void Clear() override;
  int AddLine(std::string text, std::int32_t itemData) override;
  void InsertLine(int index, std::string_view text, std::int32_t itemData) override;
  void DeleteLine(int index) override;
  std::string Text(int index) const override { return line(index).Text; }
  void SetText(int index, std::string_view text) override;
  std::int32_t ItemData(int index) const override { return line(index).Data; }
  void SetItemData(int index, std::int32_t data) override;
  int Selection() const override { return selection_; }
  void SetSelection(int index) override;
  int TopIndex() const override { return top_; }
  void SetTopIndex(int index) override;
  void SetHorizontalExtent(int width) override { extent_ = width; }

  int horizontalExtent() const { return extent_; }
  const std::vector<Line>& lines() const { return lines_; }
  // Every line's text, in list order.
  std::vector<std::string> Texts() const;

 private:
  const Line& line(int index) const { return lines_.at(static_cast<std::size_t>(index)); }

  std::vector<Line> lines_;
  int selection_ = -1;
  int top_ = 0;
  int extent_ = 0;
};

// ---- Options and texts ---------------------------------------------------------------------

// The "Sort the list:" choices, in the order of the combo box.
enum class SortModeKind { Unsorted = 0, ByUrl = 1, ByAction = 2 };
inline constexpr std::string_view kSortModeNames[] = {"Unsorted", "By URL", "By action"};

// The options of the review step. Only SortMode is saved between runs; the others start as
// below every time the program starts.
struct ResultOptions {
  SortModeKind SortMode = SortModeKind::Unsorted;  // the saved value; Unsorted at a first start
  bool HideDelete = false;                         // enabled only while AllowLinkDeletion is on
  bool HideReplace = false;
  bool HideTarget = false;
  bool HideOrphan = false;
  bool AllowLinkDeletion = false;
  bool MakeBackups = true;
};

// The HideDelete check box is enabled exactly while link deletion is allowed.
inline bool HideDeleteEnabled(const ResultOptions& options) {
  return options.AllowLinkDeletion;
}

// Item data of lines that show no rows, and ResultGroup of rows that no line shows.
inline constexpr std::int32_t kNoGroup = -1;

inline constexpr std::string_view kDeletionNotice =
    ">> Link deletion is prohibited. The \"DELETE\" items are hidden.";
inline constexpr std::string_view kUpdatingLabel = "Updating the list...";
// "URL's in the list: N", N being the number of entry lines.
std::string CountLabelText(int groups);

// The line that shows a group: its first row and the number of rows in it.
std::string ResultLineText(const LinkEntry& row, int count);
// The line of a listed file that no link refers to.
std::string OrphanLineText(std::string_view path);
// The line of `count` links (of the same text, to the same page) whose fragment names no element.
std::string AnchorLineText(const AnchorReport& report, int count);

// How a line shows a row, tested in this order: the shown value equals the URL (copy old), an
// empty value (DELETE), the relative mark, the target mark on a tag without / with a target.
enum class LineRule { CopyOld, Delete, ReplaceRelative, TargetAdd, TargetModify, Replace };
LineRule LineRuleOf(const LinkEntry& row);
// The prefix of a line without its count: "DELETE (", "REPLACE (copy old, ", ...
std::string_view LinePrefix(LineRule rule);
// The action word of a rule: "DELETE", "REPLACE (copy old)", "TARGET (add)", ...
std::string_view ActionWord(LineRule rule);

// ---- The step ------------------------------------------------------------------------------

// What the window system does for the review besides the list. Every hook may be left empty.
struct ResultHooks {
  // The count label's new text.
  std::function<void(std::string_view)> SetCountLabel;
  // The count label shows that the list is being sorted; the text names the stop key, so the
  // front words it.
  std::function<void()> ShowSortingLabel;
  // Width of a line in the list's font, in device units; byte length when empty.
  std::function<int(std::string_view)> TextWidth;
  // Width of a vertical scroll bar, added to the widest line for the horizontal extent.
  int ScrollBarWidth = 0;
  // The keyboard poll of long loops (ESC stops a sort); Go when empty.
  std::function<Poll()> StopPoll;
  // true: show the wait cursor; false: back to the arrow.
  std::function<void(bool)> SetWaitCursor;
  // Called when a list build ends: flash the main frame once unless it is in the foreground.
  std::function<void()> FlashFrame;
};

// The enabled states of the six controls of the replacement editor.
struct EditorControls {
  bool Edit = false;
  bool Apply = false;
  bool Browse = false;
  bool CopyOld = false;
  bool MakeRelative = false;
  bool DeleteButton = false;

  bool operator==(const EditorControls&) const = default;
};

// The replacement editor: its controls' states, the value being edited, the "Make relative /
// Use base URL" check box, and the folder the Browse dialog opens in.
struct ResultEditor {
  EditorControls Enabled;
  std::string Text;
  bool Relative = false;
  std::string BrowseFolder;  // empty until the first Browse
};

// Everything the review step works on: the session's LinkTable and FileList, the list of lines,
// the options, and what the list build leaves behind for the editor.
struct ResultStep {
  ResultStep(SearchSession& s, ResultListModel& l, ResultHooks h = {})
      : Session(s), List(l), Hooks(std::move(h)) {}
  ResultStep(const ResultStep&) = delete;
  ResultStep& operator=(const ResultStep&) = delete;

  SearchSession& Session;
  ResultListModel& List;
  ResultHooks Hooks;
  ResultOptions Options;

  // Per LinkTable row: the group number of the line that shows it, or kNoGroup.
  std::vector<std::int32_t> ResultGroup;
  // Entry lines of the last build (the count label's number).
  int GroupCount = 0;
  // The widest line measured since the extent was last reset.
  int WidestLine = 0;
  ResultEditor Editor;
  // Set while the list is rebuilt: selection changes of the list are to be ignored.
  bool Updating = false;
};

// Rebuilds the lines and ResultGroup from the LinkTable and the options: the notice line when
// deletion is not allowed, one line per group of rows with the same URL and the same marked
// value (both ignoring ASCII case), then an ANCHOR line per link text and page of the anchor
// reports, then the ORPHAN lines. Sets the count label and enables the
// editor (all but Delete) when the list has any line.
void FillResultList(ResultStep& step);

// Reorders the LinkTable for options.SortMode (see SortLinkRows); for Unsorted nothing at all
// happens. Otherwise the list is cleared first and the count label shows the sorting hint; the
// caller builds the list again afterwards. Returns false when ESC stopped the sort.
bool SortLinkTable(ResultStep& step);

// The sort itself. ByAction: relative paths and the like alphabetically (the URL compared byte
// by byte with A-Z folded to a-z), then drive paths, then URLs containing "://". ByUrl: the same
// for all rows that are not deletions, then the deletions (empty value or two double quotes) in
// that same order. Rows with equal URLs keep their search order. The FixList is carried along:
// its entries still name the same rows afterwards. A Stop from the poll (asked after each pass)
// ends the sort early with the table ordered up to the last finished pass; returns false then.
bool SortLinkRows(SearchSession& session, SortModeKind mode,
                  const std::function<Poll()>& stopPoll = {});

// Keeps the list's horizontal extent at the widest line: an empty text resets it to 0; a wider
// text sets it to the text's width plus the scroll bar's.
void UpdateListExtent(ResultStep& step, std::string_view text);

// The editor's enabled states right after a list build: all but Delete when there is a line.
EditorControls EditorControlsAfterFill(int lineCount);
// The editor's enabled states for a selected line: nothing for a line that shows no rows (item
// data below 0), only the edit and Apply for a TARGET line, else all six.
EditorControls EditorControlsFor(std::int32_t itemData, std::string_view lineText);

// The lowest row of a group, or -1.
int FirstRowOfGroup(const ResultStep& step, std::int32_t group);

// Sets the editor from the selected line: the enabled states, and the value of the group's first
// row without mark and quotes, with the relative box checked when that value has the relative
// mark.
void RefreshSelection(ResultStep& step);

// ---- Command sequences of the step ----------------------------------------------------------

// Step shown: clear the list, reset the extent, sort, fill, refresh the selection.
void ShowResults(ResultStep& step);
// Another sort choice confirmed: sort, fill, refresh.
void ChangeSortMode(ResultStep& step, SortModeKind mode);
// A Hide box toggled (set the option first): fill, refresh.
void RebuildResults(ResultStep& step);
// "Allow link deletion" toggled: fill, refresh. Returns whether HideDelete is now enabled.
bool SetAllowLinkDeletion(ResultStep& step, bool allow);
// The list's selection changed: refresh, unless the list is being rebuilt.
void SelectionChanged(ResultStep& step);

}  // namespace urlsmith
