// The "saved from url" phase: browsers that save a page write the address it came from into an
// HTML comment such as <!-- saved from url=(0022)http://www.example.com/ -->. The phase collects
// these addresses so that a broken or unchecked Internet link to such an address can be pointed
// at the local copy of the page.
#include "engine/saved_from.h"

#include "text/primitives.h"
#include "text/text_loading.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

constexpr std::string_view kCommentTag = "!--";
constexpr std::string_view kSavedFromName = "saved from url";

// The address of the first comment of the page that names one; empty when there is none.
// Returns false when the user stopped the phase.
bool FindSavedFromValue(const TextView& text, RunView& view, std::string& value) {
  value.clear();
  Pos pos = 0;
  while (true) {
    if (view.StopPoll() == Poll::Stop) return false;
    const Pos tag = FindTag(text, kCommentTag, pos);
    if (tag == kNone) return true;
    // The attribute search starts just after "<!--" (counted in characters of the text's
    // width), so that a comment written without a blank after it, <!--saved from url=...,
    // is read as well.
    const Pos from = tag + static_cast<Pos>(1 + kCommentTag.size()) * text.width();
    if (FindAttribute(text, kSavedFromName, from, &value, nullptr, false) > 0 && !value.empty()) {
      return true;
    }
    value.clear();
    pos = NextAfterTag(text, tag);
    if (pos == kNone) return true;
  }
}

// Drops the browser's length prefix, such as "(0022)", when the value has one.
std::string_view WithoutLengthPrefix(std::string_view value) {
  if (value.empty() || value.front() != '(') return value;
  const std::size_t close = value.find(')');
  if (close == std::string_view::npos) return value;
  return value.substr(close + 1);
}

// Brings the index up to date with the table: entries appended since the last call are added
// (an address already present keeps its first page); a table that shrank is indexed anew.
void UpdateIndex(SearchSession& session) {
  SavedFromIndex& index = session.SavedFromLookup;
  const std::vector<SavedFromEntry>& table = session.SavedFromTable;
  if (index.IndexedCount > table.size()) {
    index.FirstByUrl.clear();
    index.IndexedCount = 0;
  }
  for (; index.IndexedCount < table.size(); ++index.IndexedCount) {
    const SavedFromEntry& entry = table[index.IndexedCount];
    index.FirstByUrl.try_emplace(ToLowerAscii(entry.Url), entry.FileIndex);
  }
}

}  // namespace

PhaseResult SavedFromPhase(SearchSession& session, RunView& view) {
  view.AppendLogLine(">> Searching for \"saved from url\" ... ", false);
  const PathStyle style = session.pathStyle();
  const int count = session.FileList.size();
  int handled = 0;
  for (int i = 0; i < count; ++i) {
    const std::string path = session.FileList.path(i);
    // Only pages carry the comment; style sheets and scripts are never read here.
    if (KindOfPath(path, style) != FileKind::Page) continue;
    view.SetOverallProgress(handled, session.ProcessableCount);
    ++handled;

    ReadResult read = session.fs().ReadWholeFile(path);
    if (read.Status == ReadStatus::Empty) continue;
    if (read.Status != ReadStatus::Ok) {
      // The link search will not find this page's links either; say so here too, so that the
      // missing address is explained.
      view.AppendLogLine(path + " ... cannot be read: " + read.Error, false);
      continue;
    }
    view.AppendLogLine(path + " (" + std::to_string(read.Bytes.size()) + " bytes) ... ", false);

    const FileEncoding encoding = session.PrepareText(i, read.Bytes);
    const TextView text = session.View(read.Bytes, encoding);

    std::string value;
    if (!FindSavedFromValue(text, view, value)) {
      UpdateIndex(session);
      return PhaseResult::Stopped;
    }
    if (value.empty()) {
      view.AppendLogLine("no \"saved from url\" was found", true);
      continue;
    }
    std::string address;
    DecodeUrl(WithoutLengthPrefix(value), &address, session.CodePage);
    view.AppendLogLine("saved from \"" + address + "\"", true);
    session.SavedFromTable.push_back(SavedFromEntry{std::move(address), i});
  }
  // Style sheets and scripts count in the range but are not read here: the bar need not end full.
  view.SetOverallProgress(handled, session.ProcessableCount);
  UpdateIndex(session);
  return PhaseResult::Completed;
}

int FindSavedFromPage(SearchSession& session, std::string_view url) {
  UpdateIndex(session);
  const auto& byUrl = session.SavedFromLookup.FirstByUrl;
  if (byUrl.empty()) return -1;
  const auto it = byUrl.find(ToLowerAscii(url));
  return it == byUrl.end() ? -1 : it->second;
}

}  // namespace urlsmith
