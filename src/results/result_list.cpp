#include "results/result_list.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

#include "text/replacement.h"

namespace urlsmith {

// ---- VectorResultList ----------------------------------------------------------------------

void VectorResultList::Clear() {
  lines_.clear();
  selection_ = -1;
  top_ = 0;
}

int VectorResultList::AddLine(std::string text, std::int32_t itemData) {
  lines_.push_back(Line{std::move(text), itemData});
  return Count() - 1;
}

void VectorResultList::InsertLine(int index, std::string_view text, std::int32_t itemData) {
  if (index < 0 || index > Count()) index = Count();
  lines_.insert(lines_.begin() + index, Line{std::string(text), itemData});
  if (selection_ >= index) ++selection_;
}

void VectorResultList::DeleteLine(int index) {
  if (index < 0 || index >= Count()) return;
  lines_.erase(lines_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  if (top_ >= Count()) top_ = std::max(0, Count() - 1);
}

void VectorResultList::SetText(int index, std::string_view text) {
  lines_.at(static_cast<std::size_t>(index)).Text.assign(text);
}

void VectorResultList::SetItemData(int index, std::int32_t data) {
  lines_.at(static_cast<std::size_t>(index)).Data = data;
}

void VectorResultList::SetSelection(int index) {
  selection_ = (index >= 0 && index < Count()) ? index : -1;
}

void VectorResultList::SetTopIndex(int index) {
  if (index >= 0 && index < Count()) top_ = index;
}

std::vector<std::string> VectorResultList::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(lines_.size());
  for (const Line& l : lines_) {
    texts.push_back(l.Text);
  }
  return texts;
}

// ---- Texts ---------------------------------------------------------------------------------

namespace {

// The marked form of a stored replacement, the text the review groups and judges: its mark
// ("", ":::" or "|||") followed by the value without its quotes, as two pieces without copying.
// The value alone is the shown form. The lines read the mark from the marked text, so a quoted
// value that itself begins with a mark's three characters reads as marked.
struct MarkedForm {
  std::string_view mark;
  std::string_view value;

  explicit MarkedForm(std::string_view replacement) {
    const ReplacementText text(replacement);
    mark = text.mark();
    value = text.value();
  }
  std::size_t size() const { return mark.size() + value.size(); }
  bool empty() const { return size() == 0; }
  char operator[](std::size_t k) const {
    return k < mark.size() ? mark[k] : value[k - mark.size()];
  }
  // Whether the whole marked text begins with the 3-character mark m.
  bool BeginsWith(std::string_view m) const {
    if (size() < 3) return false;
    for (std::size_t k = 0; k < 3; ++k) {
      if ((*this)[k] != m[k]) return false;
    }
    return true;
  }
  bool EqualsIgnoringCase(const MarkedForm& other) const {
    if (size() != other.size()) return false;
    for (std::size_t k = 0; k < size(); ++k) {
      if (FoldLower((*this)[k]) != FoldLower(other[k])) return false;
    }
    return true;
  }
};

// FNV-1a over the folded URL, its length, and the folded marked value.
std::uint64_t GroupHash(std::string_view url, const MarkedForm& marked) {
  constexpr std::uint64_t kPrime = 1099511628211ull;
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : url) {
    hash = (hash ^ static_cast<unsigned char>(FoldLower(c))) * kPrime;
  }
  hash = (hash ^ url.size()) * kPrime;
  for (const char c : marked.mark) {
    hash = (hash ^ static_cast<unsigned char>(c)) * kPrime;  // marks have no letters
  }
  for (const char c : marked.value) {
    hash = (hash ^ static_cast<unsigned char>(FoldLower(c))) * kPrime;
  }
  return hash ^ (hash >> 29);
}

void SetLabel(ResultStep& step, std::string_view text) {
  if (step.Hooks.SetCountLabel) step.Hooks.SetCountLabel(text);
}

void Pump(ResultStep& step) {
  // The build always completes: a Stop seen here is not acted upon.
  if (step.Hooks.StopPoll) static_cast<void>(step.Hooks.StopPoll());
}

void AddListLine(ResultStep& step, std::string text, std::int32_t data) {
  UpdateListExtent(step, text);
  step.List.AddLine(std::move(text), data);
}

// Sets the step's busy flags for the length of a command and puts them back afterwards.
class BusyScope {
 public:
  explicit BusyScope(ResultStep& step)
      : step_(step), wasUpdating_(step.Updating), wasBusy_(step.Session.SearchBusy) {
    step_.Updating = true;
    step_.Session.SearchBusy = true;
  }
  ~BusyScope() {
    step_.Updating = wasUpdating_;
    step_.Session.SearchBusy = wasBusy_;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  ResultStep& step_;
  bool wasUpdating_;
  bool wasBusy_;
};

}  // namespace

std::string CountLabelText(int groups) {
  return "URL's in the list: " + std::to_string(groups);
}

LineRule LineRuleOf(const LinkEntry& row) {
  const MarkedForm marked(row.Replacement);
  if (row.Url == marked.value) return LineRule::CopyOld;
  if (marked.empty()) return LineRule::Delete;
  if (marked.BeginsWith(kRelativeMark)) return LineRule::ReplaceRelative;
  if (marked.BeginsWith(kTargetMark)) {
    return row.ValuePos == row.TagPos ? LineRule::TargetAdd : LineRule::TargetModify;
  }
  return LineRule::Replace;
}

std::string_view LinePrefix(LineRule rule) {
  switch (rule) {
    case LineRule::CopyOld:
      return "REPLACE (copy old, ";
    case LineRule::Delete:
      return "DELETE (";
    case LineRule::ReplaceRelative:
      return "REPLACE (relative, ";
    case LineRule::TargetAdd:
      return "TARGET (add, ";
    case LineRule::TargetModify:
      return "TARGET (modify, ";
    case LineRule::Replace:
      break;
  }
  return "REPLACE (";
}

std::string_view ActionWord(LineRule rule) {
  switch (rule) {
    case LineRule::CopyOld:
      return "REPLACE (copy old)";
    case LineRule::Delete:
      return "DELETE";
    case LineRule::ReplaceRelative:
      return "REPLACE (relative)";
    case LineRule::TargetAdd:
      return "TARGET (add)";
    case LineRule::TargetModify:
      return "TARGET (modify)";
    case LineRule::Replace:
      break;
  }
  return "REPLACE";
}

std::string ResultLineText(const LinkEntry& row, int count) {
  const LineRule rule = LineRuleOf(row);
  const std::string_view shown = MarkedForm(row.Replacement).value;
  const std::string_view prefix = LinePrefix(rule);
  const std::string number = std::to_string(count);
  std::string line;
  line.reserve(prefix.size() + number.size() + row.Url.size() + shown.size() + 12);
  line += prefix;
  line += number;
  line += "): \"";
  line += row.Url;
  if (rule == LineRule::CopyOld || rule == LineRule::Delete) {
    line += '"';
    return line;
  }
  line += "\" --> \"";
  line += shown;
  line += '"';
  return line;
}

std::string OrphanLineText(std::string_view path) {
  std::string line("ORPHAN: \"");
  line.append(path);
  line += '"';
  return line;
}

std::string AnchorLineText(const AnchorReport& report, int count) {
  std::string line = "ANCHOR (" + std::to_string(count) + "): \"";
  line += report.Url;
  line += '"';
  return line;
}

// ---- Extent --------------------------------------------------------------------------------

void UpdateListExtent(ResultStep& step, std::string_view text) {
  if (text.empty()) {
    step.WidestLine = 0;
    step.List.SetHorizontalExtent(0);
    return;
  }
  const int width =
      step.Hooks.TextWidth ? step.Hooks.TextWidth(text) : static_cast<int>(text.size());
  if (width > step.WidestLine) {
    step.WidestLine = width;
    step.List.SetHorizontalExtent(width + step.Hooks.ScrollBarWidth);
  }
}

// ---- Building the list ---------------------------------------------------------------------

void FillResultList(ResultStep& step) {
  if (step.Hooks.SetWaitCursor) step.Hooks.SetWaitCursor(true);
  step.List.Clear();
  UpdateListExtent(step, "");
  SetLabel(step, kUpdatingLabel);

  const ResultOptions& options = step.Options;
  const bool hideDelete = options.AllowLinkDeletion ? options.HideDelete : true;
  if (!options.AllowLinkDeletion) AddListLine(step, std::string(kDeletionNotice), kNoGroup);

  // A row joins the group of the first earlier row with the same URL and the same marked value,
  // both compared ignoring ASCII case. The filters depend only on the marked value, so rows of
  // one group are all shown or all hidden; testing each row gives the same result as testing
  // the group's first row only. Groups are found through a hash table of their first rows
  // instead of comparing every pair of rows.
  const std::vector<LinkEntry>& table = step.Session.LinkTable;
  const std::size_t n = table.size();
  step.ResultGroup.assign(n, kNoGroup);
  struct Group {
    std::size_t firstRow;
    std::uint64_t hash;
    int count;
  };
  std::vector<Group> groups;
  std::size_t slotCount = 16;
  while (slotCount < 2 * n) {
    slotCount *= 2;
  }
  std::vector<std::int32_t> slots(slotCount, kNoGroup);
  for (std::size_t i = 0; i < n; ++i) {
    const LinkEntry& row = table[i];
    const MarkedForm marked(row.Replacement);
    if (hideDelete && marked.empty()) continue;
    if (options.HideTarget && marked.BeginsWith(kTargetMark)) continue;
    if (options.HideReplace && !marked.empty()) continue;
    const std::uint64_t hash = GroupHash(row.Url, marked);
    std::size_t slot = hash & (slotCount - 1);
    std::int32_t group = kNoGroup;
    while (slots[slot] != kNoGroup) {
      const Group& candidate = groups[static_cast<std::size_t>(slots[slot])];
      const LinkEntry& first = table[candidate.firstRow];
      if (candidate.hash == hash && EqualsIgnoreCase(first.Url, row.Url) &&
          MarkedForm(first.Replacement).EqualsIgnoringCase(marked)) {
        group = slots[slot];
        break;
      }
      slot = (slot + 1) & (slotCount - 1);
    }
    if (group == kNoGroup) {
      group = static_cast<std::int32_t>(groups.size());
      slots[slot] = group;
      groups.push_back(Group{i, hash, 0});
    }
    ++groups[static_cast<std::size_t>(group)].count;
    step.ResultGroup[i] = group;
  }

  for (std::size_t g = 0; g < groups.size(); ++g) {
    AddListLine(step, ResultLineText(table[groups[g].firstRow], groups[g].count),
                static_cast<std::int32_t>(g));
    Pump(step);
  }

  // The broken anchors: one line per link text and page, in the order they were met.
  {
    const std::vector<AnchorReport>& reports = step.Session.AnchorReports;
    std::unordered_map<std::string, std::size_t> lineOf;
    std::vector<std::pair<std::size_t, int>> lines;  // first report, count
    for (std::size_t i = 0; i < reports.size(); ++i) {
      const auto [it, fresh] = lineOf.try_emplace(
          std::to_string(reports[i].Target) + ' ' + reports[i].Url, lines.size());
      if (fresh) {
        lines.emplace_back(i, 1);
      } else {
        ++lines[it->second].second;
      }
    }
    for (const auto& [first, count] : lines)
      AddListLine(step, AnchorLineText(reports[first], count), kNoGroup);
  }

  if (!options.HideOrphan) {
    const FileList& files = step.Session.FileList;
    for (int k = 0; k < files.size(); ++k) {
      if (!files.referenced(k)) AddListLine(step, OrphanLineText(files.path(k)), kNoGroup);
    }
  }

  step.GroupCount = static_cast<int>(groups.size());
  SetLabel(step, CountLabelText(step.GroupCount));

  EditorControls controls = EditorControlsAfterFill(step.List.Count());
  controls.DeleteButton = step.Editor.Enabled.DeleteButton;  // not touched by a build
  step.Editor.Enabled = controls;

  if (step.Hooks.SetWaitCursor) step.Hooks.SetWaitCursor(false);
  if (step.Hooks.FlashFrame) step.Hooks.FlashFrame();
}

// ---- Sorting -------------------------------------------------------------------------------

namespace {

struct SortKey {
  std::uint64_t prefix;
  std::size_t offset;
  std::size_t length;
  std::int32_t row;
};

bool HasSchemeSeparator(const std::string& url) {
  return url.find("://") != std::string::npos;
}

bool IsDriveUrl(const std::string& url) {
  return url.size() >= 3 && url[1] == ':' && url[2] == '\\';
}

// Moves the rows into `order` (order[k] = old index of the row that becomes row k) and renumbers
// the FixList so that each entry names the same row as before.
void ApplyOrder(SearchSession& session, const std::vector<std::int32_t>& order) {
  std::vector<LinkEntry>& table = session.LinkTable;
  const std::size_t n = table.size();
  std::vector<LinkEntry> sorted;
  sorted.reserve(table.capacity());
  std::vector<std::int32_t> newIndex(n);
  for (std::size_t k = 0; k < n; ++k) {
    const auto old = static_cast<std::size_t>(order[k]);
    sorted.push_back(std::move(table[old]));
    newIndex[old] = static_cast<std::int32_t>(k);
  }
  table.swap(sorted);
  for (std::int32_t& fix : session.FixList) {
    if (fix >= 0 && static_cast<std::size_t>(fix) < n)
      fix = newIndex[static_cast<std::size_t>(fix)];
  }
}

}  // namespace

// The order is the one that four exchange passes reach (an exchange sort by URL, then sweeps of
// adjacent swaps until nothing moves), computed in O(n log n): a stable sort by the folded URL,
// then three stable regroupings that give what the repeated adjacent swaps give.
//  - Pass 1 (by URL): a sort with the row number breaking ties, so it is stable. The exchange
//    sort it replaces puts rows of equal URL in an order that depends on the other rows; here
//    they keep their search order. Rows with different URLs end in the same order as with the
//    exchange passes, and so they do after passes 2 to 4.
//  - Pass 2 (Internet URLs last): a stable partition, rows without "://" first.
//  - Pass 3 (drive paths after other local URLs): a drive path only ever moves past a following
//    row of at least 3 characters that is neither a drive path nor contains "://". Rows shorter
//    than 3 characters and rows with "://" never move and stop a drive path; between two such
//    stops the other rows come first and the drive paths after them, each in their order.
//  - Pass 4 (By URL only): a stable partition, deletions last.
bool SortLinkRows(SearchSession& session, SortModeKind mode,
                  const std::function<Poll()>& stopPoll) {
  if (mode == SortModeKind::Unsorted) return true;
  const std::vector<LinkEntry>& table = session.LinkTable;
  const std::size_t n = table.size();
  std::vector<std::int32_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  // What passes 2 to 4 need to know of each row.
  enum : std::uint8_t { kWeb = 1, kDrive = 2, kShort = 4, kDeletion = 8 };
  std::vector<std::uint8_t> traits(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& u = table[i].Url;
    traits[i] = static_cast<std::uint8_t>(
        (HasSchemeSeparator(u) ? kWeb : 0) | (IsDriveUrl(u) ? kDrive : 0) |
        (u.size() < 3 ? kShort : 0) |
        (ReplacementText(table[i].Replacement).IsDeletion() ? kDeletion : 0));
  }
  const auto has = [&traits](std::int32_t row, std::uint8_t trait) {
    return (traits[static_cast<std::size_t>(row)] & trait) != 0;
  };
  const auto stopped = [&] { return stopPoll && stopPoll() == Poll::Stop; };

  {
    // The folded URLs in one buffer; each key also carries its first 8 bytes as a number, which
    // orders most pairs without looking at the text.
    std::string folded;
    std::size_t total = 0;
    for (const LinkEntry& row : table) {
      total += row.Url.size();
    }
    folded.reserve(total);
    std::vector<SortKey> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
      keys[i].offset = folded.size();
      keys[i].length = table[i].Url.size();
      keys[i].row = static_cast<std::int32_t>(i);
      folded += table[i].Url;
    }
    for (char& c : folded) {
      c = FoldLower(c);
    }
    for (SortKey& key : keys) {
      const auto* text = reinterpret_cast<const unsigned char*>(folded.data() + key.offset);
      std::uint64_t prefix = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        prefix = (prefix << 8) | (k < key.length ? text[k] : 0u);
      }
      key.prefix = prefix;
    }
    const char* base = folded.data();
    // Bytes compare as unsigned characters; equal URLs keep their search order.
    std::sort(keys.begin(), keys.end(), [base](const SortKey& a, const SortKey& b) {
      if (a.prefix != b.prefix) return a.prefix < b.prefix;
      const std::size_t common = std::min(a.length, b.length);
      const int c = common == 0 ? 0 : std::memcmp(base + a.offset, base + b.offset, common);
      if (c != 0) return c < 0;
      if (a.length != b.length) return a.length < b.length;
      return a.row < b.row;
    });
    for (std::size_t k = 0; k < n; ++k) {
      order[k] = keys[k].row;
    }
  }
  bool complete = !stopped();

  if (complete) {
    std::stable_partition(order.begin(), order.end(),
                          [&](std::int32_t row) { return !has(row, kWeb); });
    complete = !stopped();
  }

  if (complete) {
    const auto isStop = [&](std::int32_t row) {
      return has(row, kShort) || (!has(row, kDrive) && has(row, kWeb));
    };
    auto first = order.begin();
    while (first != order.end()) {
      if (isStop(*first)) {
        ++first;
        continue;
      }
      auto last = std::find_if(first, order.end(), isStop);
      std::stable_partition(first, last, [&](std::int32_t row) { return !has(row, kDrive); });
      first = last;
    }
    complete = !stopped();
  }

  if (complete && mode == SortModeKind::ByUrl) {
    std::stable_partition(order.begin(), order.end(),
                          [&](std::int32_t row) { return !has(row, kDeletion); });
  }

  ApplyOrder(session, order);
  return complete;
}

bool SortLinkTable(ResultStep& step) {
  if (step.Options.SortMode == SortModeKind::Unsorted) return true;
  step.List.Clear();
  UpdateListExtent(step, "");
  if (step.Hooks.ShowSortingLabel) step.Hooks.ShowSortingLabel();
  // The rows move: no line shows them until the list is built again.
  step.ResultGroup.assign(step.Session.LinkTable.size(), kNoGroup);
  step.GroupCount = 0;
  return SortLinkRows(step.Session, step.Options.SortMode, step.Hooks.StopPoll);
}

// ---- Selection -----------------------------------------------------------------------------

EditorControls EditorControlsAfterFill(int lineCount) {
  const bool on = lineCount > 0;
  return EditorControls{on, on, on, on, on, false};
}

EditorControls EditorControlsFor(std::int32_t itemData, std::string_view lineText) {
  if (itemData < 0) return EditorControls{};
  if (lineText.starts_with("TARGET")) return EditorControls{true, true, false, false, false, false};
  return EditorControls{true, true, true, true, true, true};
}

int FirstRowOfGroup(const ResultStep& step, std::int32_t group) {
  if (group < 0) return -1;
  const auto& groups = step.ResultGroup;
  const auto it = std::find(groups.begin(), groups.end(), group);
  return it == groups.end() ? -1 : static_cast<int>(it - groups.begin());
}

void RefreshSelection(ResultStep& step) {
  const int selected = step.List.Selection();
  const bool valid = selected >= 0 && selected < step.List.Count();
  const std::int32_t group = valid ? step.List.ItemData(selected) : kNoGroup;
  step.Editor.Enabled = EditorControlsFor(group, group >= 0 ? step.List.Text(selected) : "");
  if (group < 0) return;  // the edit keeps its text
  const int first = FirstRowOfGroup(step, group);
  if (first < 0 || static_cast<std::size_t>(first) >= step.Session.LinkTable.size()) return;
  const std::string& replacement =
      step.Session.LinkTable[static_cast<std::size_t>(first)].Replacement;
  const ReplacementText text(replacement);
  step.Editor.Text = text.value();
  step.Editor.Relative = text.IsRelative();
}

// ---- Command sequences ---------------------------------------------------------------------

void ShowResults(ResultStep& step) {
  BusyScope busy(step);
  step.List.Clear();
  UpdateListExtent(step, "");
  SortLinkTable(step);
  FillResultList(step);
  RefreshSelection(step);
}

void ChangeSortMode(ResultStep& step, SortModeKind mode) {
  BusyScope busy(step);
  step.Options.SortMode = mode;
  SortLinkTable(step);
  FillResultList(step);
  RefreshSelection(step);
}

void RebuildResults(ResultStep& step) {
  BusyScope busy(step);
  FillResultList(step);
  RefreshSelection(step);
}

bool SetAllowLinkDeletion(ResultStep& step, bool allow) {
  step.Options.AllowLinkDeletion = allow;
  RebuildResults(step);
  return HideDeleteEnabled(step.Options);
}

void SelectionChanged(ResultStep& step) {
  if (!step.Updating) RefreshSelection(step);
}

}  // namespace urlsmith
