#include "engine/search_run.h"

#include <algorithm>
#include <new>
#include <optional>
#include <thread>

#include "engine/analysis.h"
#include "engine/internet_check.h"
#include "engine/internet_prefetch.h"
#include "engine/ordered_work.h"
#include "engine/saved_from.h"
#include "engine/scanners.h"
#include "text/primitives.h"
#include "text/text_loading.h"

namespace urlsmith {

namespace {

std::string TableFullMessage() {
  return "The search found more links than the results can hold (" + std::to_string(kMaxLinkRows) +
         " changes) and stopped there.\nPlease add fewer files and search again.";
}

// The length of a path's folder part: up to its last separator, the separator not counted.
std::size_t FolderLength(std::string_view path, PathStyle style) {
  const std::size_t sep = LastSeparator(path, style);
  return sep == std::string_view::npos ? 0 : sep;
}

// The read buffers a phase reads into: those handed on to it, else its own, one per thread.
ReadBuffers& BuffersFor(ReadBuffers* given, ReadBuffers& own, int threads) {
  ReadBuffers& buffers = given != nullptr ? *given : own;
  if (buffers.size() < static_cast<std::size_t>(threads))
    buffers.resize(static_cast<std::size_t>(threads));
  return buffers;
}

// How many files per searching thread may wait, searched, for their analysis: enough for the
// other threads to go on while the analysis takes the many links of a large page.
constexpr int kFindingsAhead = 32;

// A file of the link search, read and searched ahead of its analysis. Its text is let go once
// searched: the findings are all the analysis reads.
struct PreparedFile {
  ReadStatus Status = ReadStatus::Unreadable;
  std::string Error;
  Pos Size = 0;
  std::uint64_t Fingerprint = 0;
  FileFindings Found;
};

}  // namespace

bool PrepareSearch(SearchSession& session, RunView& view) {
  session.SearchBusy = true;
  session.RunReset();
  if (!session.InternetCheckOff && session.internet() != nullptr) {
    session.internet()->OpenSession();
  }
  view.ClearLog();
  view.SetKeyStatus(StatusKey::PressEscToStop);
  view.SetOverallProgress(1, 2);
  view.SetFileProgress(0, 2);
  if (session.FileList.size() > kMaxFiles) {
    view.ShowError(kTooManyFilesMessage);
    session.SearchBusy = false;
    return false;
  }
  return true;
}

PhaseResult FindRootPath(SearchSession& session, RunView& view) {
  view.AppendLogLine(">> Finding the root path ... ", false);
  const PathStyle style = session.pathStyle();
  const FileList& files = session.FileList;
  // A folder as long as the longest path the platform takes never wins.
  std::size_t best = MaxPathLength(style) + 1;
  int winner = -1;
  for (int i = 0; i < files.size(); ++i) {
    const std::size_t length = FolderLength(files.path(i), style);
    if (length < best) {
      best = length;
      winner = i;
    }
    if (view.StopPoll() == Poll::Stop) return PhaseResult::Stopped;
  }
  if (winner < 0 && !files.empty()) winner = 0;
  std::string root = winner < 0 ? std::string() : FolderOf(files.path(winner), style);
  const char sep = PathSeparator(style);
  if (root.empty() || root.back() != sep) root.push_back(sep);
  session.RootPath = std::move(root);
  view.AppendLogLine("done", true);
  return PhaseResult::Completed;
}

PhaseResult CountProcessableFiles(SearchSession& session, RunView& view) {
  view.AppendLogLine(">> Counting processable files ... ", false);
  session.ProcessableCount = 0;
  const FileList& files = session.FileList;
  for (int i = 0; i < files.size(); ++i) {
    if (IsProcessable(files.path(i), session.pathStyle())) ++session.ProcessableCount;
    if (view.StopPoll() == Poll::Stop) return PhaseResult::Stopped;
  }
  view.AppendLogLine(std::to_string(session.ProcessableCount) + " file(s) found", true);
  return PhaseResult::Completed;
}

PhaseResult FindUnicodeFiles(SearchSession& session, RunView& view, SavedFromLooks* looks,
                             ReadBuffers* buffers) {
  view.AppendLogLine(">> Finding Unicode files ... ", false);
  const FileList& files = session.FileList;
  const PathStyle style = session.pathStyle();
  session.FileEncoding.assign(static_cast<std::size_t>(files.size()), FileEncoding::Ansi);
  std::vector<int> processable;
  for (int i = 0; i < files.size(); ++i) {
    if (IsProcessable(files.path(i), style)) processable.push_back(i);
  }
  // The first bytes of the next files are read on the scan threads while this thread takes
  // the encodings in list order and polls for ESC after every file, as a one-thread look does.
  // A look that ran out of memory there is made again here. With `looks`, pages are read whole
  // and searched for "saved from url" at the same time, so that the phase after this one need
  // not read them again.
  struct Look {
    std::optional<FileEncoding> Encoding;
    bool Page = false;
    SavedFromPage Saved;
  };
  const SearchSession& shared = session;
  FileSystem& fs = session.fs();
  const int workers = ScanWorkerCount(session.Search);
  ReadBuffers own;
  ReadBuffers& reads = BuffersFor(buffers, own, workers);
  auto detect = [&](int k, Look& look, int thread) {
    const int i = processable[static_cast<std::size_t>(k)];
    look.Page = looks != nullptr && KindOfPath(files.path(i), style) == FileKind::Page;
    if (look.Page) {
      SearchPageForSavedFrom(shared, fs, i, reads[static_cast<std::size_t>(thread)], look.Saved,
                             look.Encoding);
      return;
    }
    try {
      look.Encoding = DetectEncoding(fs, files.path(i));
    } catch (const std::bad_alloc&) {
      look.Encoding.reset();
    }
  };
  // The run's thread is one of the threads that look.
  OrderedWork<Look> work(static_cast<int>(processable.size()), workers - 1, 64 * workers, detect);
  int unicode = 0;
  std::size_t next = 0;
  for (int i = 0; i < files.size(); ++i) {
    if (next < processable.size() && processable[next] == i) {
      Look& look = work.Take(static_cast<int>(next++));
      const FileEncoding e = look.Encoding ? *look.Encoding : DetectEncoding(fs, files.path(i));
      session.FileEncoding[static_cast<std::size_t>(i)] = e;
      if (e != FileEncoding::Ansi) ++unicode;
      if (look.Page) looks->Add(std::move(look.Saved));
    }
    if (view.StopPoll() == Poll::Stop) return PhaseResult::Stopped;
  }
  view.AppendLogLine(std::to_string(unicode) + " file(s) found", true);
  return PhaseResult::Completed;
}

RowCount SearchBrokenLinks(SearchSession& session, RunView& view, ReadBuffers* buffers) {
  view.AppendLogLine(">> Searching for broken links ...", false);
  const PathStyle style = session.pathStyle();
  const int n = session.FileList.size();
  session.FileFingerprint.assign(static_cast<std::size_t>(n), 0);
  session.Anchors = AnchorIndex{};
  session.AnchorReports.clear();

  // The files to scan, in list order. Paths too long for the platform are not read.
  struct Job {
    int Index;
    FileKind Kind;
    bool TooLong;
  };
  std::vector<Job> jobs;
  for (int i = 0; i < n; ++i) {
    const std::string& path = session.FileList.path(i);
    const FileKind kind = KindOfPath(path, style);
    if (kind != FileKind::Other) jobs.push_back({i, kind, path.size() > MaxPathLength(style)});
  }

  // Reading a file and finding its addresses touch nothing but the file, the file list's paths
  // and encodings and the options, none of which change while the search runs; so the next
  // files are read and searched on other threads while the analysis takes this one's findings,
  // and the rows and the log still come in list order.
  const SearchSession& shared = session;
  FileSystem& fs = session.fs();
  // A read buffer per thread, which grows to the largest file it reads.
  const int workers = ScanWorkerCount(session.Search);
  ReadBuffers own;
  ReadBuffers& reads = BuffersFor(buffers, own, workers);
  std::vector<PreparedTags> tags(static_cast<std::size_t>(workers));
  auto prepare = [&](int k, PreparedFile& file, int thread) {
    const Job& job = jobs[static_cast<std::size_t>(k)];
    file.Status = ReadStatus::Unreadable;
    file.Error.clear();
    file.Size = 0;
    file.Fingerprint = 0;
    file.Found.Clear();
    if (job.TooLong) return;
    try {
      ReadResult& read = reads[static_cast<std::size_t>(thread)];
      fs.ReadWholeFile(shared.FileList.path(job.Index), read);
      file.Status = read.Status;
      file.Error = read.Error;
      if (read.Status != ReadStatus::Ok) return;
      file.Size = static_cast<Pos>(read.Bytes.size());
      file.Fingerprint = TextFingerprint(read.Bytes);
      const FileEncoding encoding = shared.PrepareText(job.Index, read.Bytes);
      TextView text = shared.View(read.Bytes, encoding);
      ValueRunOutMemo runOut;
      text.RunOut = &runOut;
      FindAnalysedFindings(shared, text, job.Kind, file.Found,
                           &tags[static_cast<std::size_t>(thread)]);
    } catch (const std::bad_alloc&) {
      reads[static_cast<std::size_t>(thread)] = ReadResult{};
      tags[static_cast<std::size_t>(thread)] = PreparedTags{};
      file.Found = FileFindings{};
      file.Status = ReadStatus::Unreadable;
      file.Error = "out of memory";
    }
  };
  // A file's findings are far smaller than its text, so the workers may run well ahead of the
  // analysis: a file with many links to analyse does not hold them up, nor a large file the
  // analysis. The run's thread is one of the threads that read and search.
  OrderedWork<PreparedFile> work(static_cast<int>(jobs.size()), workers - 1,
                                 kFindingsAhead * workers, prepare);

  int total = 0;
  for (int k = 0; k < static_cast<int>(jobs.size()); ++k) {
    const Job& job = jobs[static_cast<std::size_t>(k)];
    const std::string& path = session.FileList.path(job.Index);
    SetOverallProgress(view, k, session.ProcessableCount);
    PreparedFile& file = work.Take(k);
    if (job.TooLong) {
      view.AppendLogLine(path + " ... skipped: the path is too long", false);
      continue;
    }
    if (file.Status == ReadStatus::Empty) continue;
    if (file.Status != ReadStatus::Ok) {
      // Say why a page was not searched, so that a webmaster does not take it for clean.
      view.AppendLogLine(path + " ... cannot be read: " + file.Error, false);
      continue;
    }
    session.FileFingerprint[static_cast<std::size_t>(job.Index)] = file.Fingerprint;
    // The findings are let go by the worker that makes the slot's next file: memory is freed
    // on the thread that took it.
    const RowCount r = AnalyseFoundFile(session, view, path, job.Index, file.Size, file.Found);
    if (r.Stopped) return RowCount::Stop(total);
    total += r.Rows;
  }
  return RowCount::Done(total);
}

SearchResult RunSearchPhases(SearchSession& session, RunView& view) {
  session.SearchBusy = true;
  SearchResult result;
  // The threads' read buffers, from the first phase that reads files to the link search.
  ReadBuffers reads;
  auto stopped = [&]() {
    if (session.TableFull) view.ShowError(TableFullMessage());
    view.SetStatus("Stopped");
    session.SearchBusy = false;
    result.Outcome = SearchOutcome::Stopped;
    result.Total = session.LinkCount();
    return result;
  };
  if (session.RootPath.empty()) {
    if (FindRootPath(session, view) == PhaseResult::Stopped) return stopped();
    if (CountProcessableFiles(session, view) == PhaseResult::Stopped) return stopped();
    SavedFromLooks looks;
    const bool savedFrom = session.Search.UseSavedFromUrl;
    if (FindUnicodeFiles(session, view, savedFrom ? &looks : nullptr, &reads) ==
        PhaseResult::Stopped) {
      return stopped();
    }
    if (savedFrom && SavedFromPhase(session, view, &looks) == PhaseResult::Stopped) {
      return stopped();
    }
  }
  if (CheckInternetAhead(session, view, &reads) == PhaseResult::Stopped) return stopped();
  const RowCount search = SearchBrokenLinks(session, view, &reads);
  if (search.Stopped) return stopped();
  int total = search.Rows;
  if (session.Search.CheckAnchors) {
    view.AppendLogLine(">> Checking anchors ... ", false);
    const int before = session.LinkCount();
    if (CheckNotedAnchors(session) == RowOutcome::Stop) return stopped();
    total += session.LinkCount() - before;
    view.AppendLogLine(std::to_string(session.AnchorReports.size()) + " broken anchor(s)", true);
  }
  // Broken anchors are worth showing even when nothing is to be changed.
  const bool found = total > 0 || !session.AnchorReports.empty();
  if (found) view.AppendLogLine(">> Done.", false);
  std::string summary = "Done: " + std::to_string(session.LinkCount()) + " change(s) to apply in " +
                        std::to_string(session.ProcessableCount) + " file(s)";
  if (const InternetChecker* checker = session.internet();
      checker != nullptr && !session.InternetCheckOff && checker->SkippedCount() > 0) {
    summary += "; " + std::to_string(checker->SkippedCount()) +
               " Internet address(es) could not be checked and are left as they are";
  }
  view.SetStatus(summary);
  session.SearchBusy = false;
  result.Outcome = found ? SearchOutcome::Found : SearchOutcome::NothingFound;
  result.Total = total;
  return result;
}

SearchResult RunSearch(SearchSession& session, RunView& view) {
  if (!PrepareSearch(session, view)) return SearchResult{SearchOutcome::Refused, 0};
  return RunSearchPhases(session, view);
}

}  // namespace urlsmith
