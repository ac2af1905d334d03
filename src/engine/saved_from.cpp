// The "saved from url" phase: browsers that save a page write the address it came from into an
// HTML comment such as <!-- saved from url=(0022)http://www.example.com/ -->. The phase collects
// these addresses so that a broken or unchecked Internet link to such an address can be pointed
// at the local copy of the page.
#include "engine/saved_from.h"

#include <new>
#include <optional>
#include <vector>

#include "engine/ordered_work.h"
#include "text/primitives.h"
#include "text/text_loading.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

constexpr std::string_view kCommentTag = "!--";
constexpr std::string_view kSavedFromName = "saved from url";

// The address of the first comment of the page that names one; empty when there is none.
// polls receives how many times the search asks the view whether to stop: once before each
// comment it looks for.
void FindSavedFromValue(const TextView& text, std::string& value, int& polls) {
  value.clear();
  polls = 0;
  Pos pos = 0;
  while (true) {
    ++polls;
    const Pos tag = FindTag(text, kCommentTag, pos);
    if (tag == kNone) return;
    // The attribute search starts just after "<!--" (counted in characters of the text's
    // width), so that a comment written without a blank after it, <!--saved from url=...,
    // is read as well.
    const Pos from = tag + static_cast<Pos>(1 + kCommentTag.size()) * text.width();
    if (FindAttribute(text, kSavedFromName, from, &value, nullptr, false) > 0 && !value.empty()) {
      return;
    }
    value.clear();
    pos = NextAfterTag(text, tag);
    if (pos == kNone) return;
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

void SearchPageForSavedFrom(const SearchSession& session, FileSystem& fs, int fileIndex,
                            ReadResult& buffer, SavedFromPage& page,
                            std::optional<FileEncoding>& encoding) {
  page = SavedFromPage{};
  encoding.reset();
  try {
    fs.ReadWholeFile(session.FileList.path(fileIndex), buffer);
    page.Status = buffer.Status;
    page.Error = buffer.Error;
    page.Size = buffer.Bytes.size();
    if (buffer.Status == ReadStatus::Empty) encoding = FileEncoding::Ansi;
    if (buffer.Status != ReadStatus::Ok) return;
    const FileEncoding e = DetectEncodingFromBytes(buffer.Bytes.data(), buffer.Bytes.size());
    encoding = e;
    if (e == FileEncoding::Utf16Be) ByteSwapText(buffer.Bytes.data(), buffer.Bytes.size());
    FindSavedFromValue(session.View(buffer.Bytes, e), page.Value, page.Polls);
  } catch (const std::bad_alloc&) {
    buffer = ReadResult{};
    page = SavedFromPage{};
    page.Error = "out of memory";
    encoding.reset();
  }
}

void SavedFromLooks::Add(SavedFromPage&& page) {
  Compact c;
  c.Size = page.Size;
  c.Polls = page.Polls;
  c.Status = page.Status;
  std::string& text = page.Status == ReadStatus::Ok ? page.Value : page.Error;
  if (!text.empty()) {
    c.Text = static_cast<std::int32_t>(texts_.size());
    texts_.push_back(std::move(text));
  }
  pages_.push_back(c);
}

SavedFromPage SavedFromLooks::Get(std::size_t k) const {
  const Compact& c = pages_[k];
  SavedFromPage page;
  page.Size = static_cast<std::size_t>(c.Size);
  page.Polls = c.Polls;
  page.Status = c.Status;
  if (c.Text >= 0) {
    (c.Status == ReadStatus::Ok ? page.Value : page.Error) =
        texts_[static_cast<std::size_t>(c.Text)];
  }
  return page;
}

PhaseResult SavedFromPhase(SearchSession& session, RunView& view, const SavedFromLooks* looks) {
  view.AppendLogLine(">> Searching for \"saved from url\" ... ", false);
  const PathStyle style = session.pathStyle();
  const int count = session.FileList.size();
  // Only pages carry the comment; style sheets and scripts are never read here.
  std::vector<int> pages;
  for (int i = 0; i < count; ++i) {
    if (KindOfPath(session.FileList.path(i), style) == FileKind::Page) pages.push_back(i);
  }

  // Reading a page and searching its comments touch nothing but the page, its path and its
  // encoding: the next pages are read on other threads while this one's outcome is logged,
  // and the log, the progress and the polls come as a search on one thread makes them.
  const SearchSession& shared = session;
  FileSystem& fs = session.fs();
  // A read buffer per thread, which grows to the largest page it reads.
  const int workers = ScanWorkerCount(session.Search);
  std::vector<ReadResult> reads(static_cast<std::size_t>(workers + 1));
  auto prepare = [&](int k, SavedFromPage& page, int thread) {
    std::optional<FileEncoding> encoding;
    SearchPageForSavedFrom(shared, fs, pages[static_cast<std::size_t>(k)],
                           reads[static_cast<std::size_t>(thread)], page, encoding);
  };
  // A page's outcome is small (its bytes stay in the thread's buffer), so the threads may run
  // far ahead of the log. When the Unicode look searched every page already, nothing is read.
  const bool looked = looks != nullptr && looks->size() == pages.size();
  std::optional<OrderedWork<SavedFromPage>> work;
  if (!looked) {
    // The run's thread is one of the threads that read.
    work.emplace(static_cast<int>(pages.size()), workers - 1, 16 * workers, prepare);
  }
  SavedFromPage lookedPage;

  int handled = 0;
  for (int k = 0; k < static_cast<int>(pages.size()); ++k) {
    const int i = pages[static_cast<std::size_t>(k)];
    const std::string& path = session.FileList.path(i);
    view.SetOverallProgress(handled, session.ProcessableCount);
    ++handled;

    if (looked) lookedPage = looks->Get(static_cast<std::size_t>(k));
    SavedFromPage& page = looked ? lookedPage : work->Take(k);
    if (page.Status == ReadStatus::Empty) continue;
    if (page.Status != ReadStatus::Ok) {
      // The link search will not find this page's links either; say so here too, so that the
      // missing address is explained.
      view.AppendLogLine(path + " ... cannot be read: " + page.Error, false);
      continue;
    }
    view.AppendLogLine(path + " (" + std::to_string(page.Size) + " bytes) ... ", false);
    for (int poll = 0; poll < page.Polls; ++poll) {
      if (view.StopPoll() == Poll::Stop) {
        UpdateIndex(session);
        return PhaseResult::Stopped;
      }
    }
    if (page.Value.empty()) {
      view.AppendLogLine("no \"saved from url\" was found", true);
      continue;
    }
    std::string address;
    DecodeUrl(WithoutLengthPrefix(page.Value), &address, session.CodePage);
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
