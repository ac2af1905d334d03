#include "engine/scanners.h"

#include "engine/analysis.h"
#include "engine/scan_search.h"
#include "engine/tag_scanner.h"
#include "text/primitives.h"

namespace urlsmith {

std::string FileLogLine(const std::string& path, Pos size) {
  return path + " (" + std::to_string(size) + " bytes) ... ";
}

namespace {

// Writes the end of a file's log line and returns the row count.
RowCount FinishFile(RunView& view, int rows) {
  view.AppendLogLine(std::to_string(rows) + " change(s) to apply", true);
  return RowCount::Done(rows);
}

bool Stopped(RunView& view) {
  return view.StopPoll() == Poll::Stop;
}

// The "url(" values of the STYLE blocks. Returns the new row count.
RowCount ScanStyleBlocks(SearchSession& session, RunView& view, const TextView& text, int fileIndex,
                         const ScriptBlocks& blocks, const TagIndex& index, int rows) {
  const int w = text.width();
  TagWalk walk(text, blocks, &index);
  Pos p = 0;
  while (true) {
    p = walk.Find("STYLE", p);
    if (p == kNone) return RowCount::Done(rows);
    Pos e = walk.Find("/STYLE", p);
    if (e == kNone) e = text.Size;
    const Pos q = e > p ? NextAfterTag(text, p) : kNone;
    if (q != kNone) {
      Pos u = FindText(text, e, "url(", q, StopMode::None);
      while (u != kNone) {
        // The value begins at the '('.
        const Pos v = u + 3 * w;
        const RowOutcome r = AnalyseUrl(session, view, text, fileIndex, kTagPosStyle, v, false);
        if (r == RowOutcome::Stop) return RowCount::Stop(rows);
        rows += RowsAdded(r);
        const Pos next = v + w;
        if (next > text.Size) break;
        u = FindText(text, e, "url(", next, StopMode::None);
      }
    }
    p = NextAfterTag(text, e);
    if (p == kNone) return RowCount::Done(rows);
    if (Stopped(view)) return RowCount::Stop(rows);
  }
}

// Strings in the SCRIPT blocks that begin with a protocol name. With scripts taken as tags, the
// search in a block ends at its first '<' that is not followed by '='.
RowCount ScanScriptBlocks(SearchSession& session, RunView& view, const TextView& text,
                          int fileIndex, bool scriptsAreTags, const TagIndex& index, int rows) {
  const int w = text.width();
  const StopMode mode = scriptsAreTags ? StopMode::LessThan : StopMode::None;
  ScriptCommentTracker comments(text);
  Pos p = 0;
  while (true) {
    const Pos s = index.Find("SCRIPT", p);
    if (s == kNone) return RowCount::Done(rows);
    Pos e = index.Find("/SCRIPT", s);
    if (e == kNone) e = text.Size;
    Pos q = e > s ? NextAfterTag(text, s) : kNone;
    if (q != kNone) {
      ProtocolSearch protocols(text, e, mode);
      for (Pos u = protocols.Next(q); u != kNone; u = protocols.Next(q)) {
        if (!comments.InComment(u)) {
          const RowOutcome r = AnalyseUrl(session, view, text, fileIndex, kTagPosScript, u, false);
          if (r == RowOutcome::Stop) return RowCount::Stop(rows);
          rows += RowsAdded(r);
        }
        q = u + 6 * w;
        if (q > text.Size) break;
      }
    }
    p = NextAfterTag(text, e);
    if (p == kNone) return RowCount::Done(rows);
    if (Stopped(view)) return RowCount::Stop(rows);
  }
}

}  // namespace

void PrepareTags(const TextView& text, FileKind kind, const SearchOptions& options,
                 PreparedTags& out) {
  out.ScriptStarts.clear();
  out.ScriptEnds.clear();
  out.ScriptsOverflow = false;
  const bool tagsSearched =
      kind == FileKind::Page || (kind == FileKind::Script && options.ScanScriptsByTag);
  if (!tagsSearched) {
    out.Index = TagIndex();
    return;
  }
  out.Index.Build(text, kIndexedTags);
  if (kind == FileKind::Page && !options.ScanScriptsByTag) {
    out.ScriptsOverflow =
        !CollectScriptRanges(text, out.ScriptStarts, out.ScriptEnds,
                             static_cast<std::size_t>(kMaxScriptRanges), &out.Index);
  }
}

RowCount ScanPage(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex, const PreparedTags* prepared) {
  view.AppendLogLine(FileLogLine(path, text.Size), false);
  PreparedTags own;
  if (prepared == nullptr) {
    PrepareTags(text, FileKind::Page, session.Search, own);
    prepared = &own;
  }
  const TagIndex& index = prepared->Index;
  const SearchOptions& options = session.Search;
  const bool scriptsAreTags = options.ScanScriptsByTag;
  ScriptBlocks blocks;
  if (!scriptsAreTags) {
    blocks.TagsEverywhere = false;
    blocks.Overflow = prepared->ScriptsOverflow;
    blocks.Starts = prepared->ScriptStarts;
    blocks.Ends = prepared->ScriptEnds;
  }
  // The tag scan, the STYLE phase and the script phase.
  const int fileRange =
      TagScanSteps(options.ScanEventHandlers) + 1 + (options.ScanScriptsByProtocol ? 1 : 0);
  int filePosition = 0;

  RowCount count =
      ScanTags(session, view, text, fileIndex, 0, filePosition, fileRange, blocks, &index);
  if (count.Stopped) return count;

  view.SetFileProgress(filePosition, fileRange);
  ++filePosition;
  if (Stopped(view)) return RowCount::Stop(count.Rows);
  count = ScanStyleBlocks(session, view, text, fileIndex, blocks, index, count.Rows);
  if (count.Stopped) return count;

  if (options.ScanScriptsByProtocol) {
    view.SetFileProgress(filePosition, fileRange);
    ++filePosition;
    if (Stopped(view)) return RowCount::Stop(count.Rows);
    count = ScanScriptBlocks(session, view, text, fileIndex, scriptsAreTags, index, count.Rows);
    if (count.Stopped) return count;
  }

  view.SetFileProgress(filePosition, fileRange);
  return FinishFile(view, count.Rows);
}

RowCount ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                        const std::string& path, int fileIndex, const PreparedTags* prepared) {
  view.AppendLogLine(FileLogLine(path, text.Size), false);
  const SearchOptions& options = session.Search;
  int rows = 0;
  int fileRange = 1 + (options.ScanScriptsByProtocol ? 1 : 0);
  // Markup that a script writes is searched for tags only when scripts count as tags.
  const bool scanTags = options.ScanScriptsByTag;
  if (scanTags) fileRange += TagScanSteps(options.ScanEventHandlers);
  view.SetFileProgress(0, fileRange);
  int filePosition = 1;

  if (scanTags) {
    PreparedTags own;
    if (prepared == nullptr) {
      PrepareTags(text, FileKind::Script, options, own);
      prepared = &own;
    }
    const RowCount tags = ScanTags(session, view, text, fileIndex, 0, filePosition, fileRange,
                                   ScriptBlocks{}, &prepared->Index);
    if (tags.Stopped) return tags;
    rows = tags.Rows;
  }

  if (options.ScanScriptsByProtocol) {
    view.SetFileProgress(filePosition, fileRange);
    ++filePosition;
    if (Stopped(view)) return RowCount::Stop(rows);
    const int w = text.width();
    ScriptCommentTracker comments(text);
    ProtocolSearch protocols(text, text.Size, StopMode::None);
    Pos q = 0;
    for (Pos u = protocols.Next(q); u != kNone; u = protocols.Next(q)) {
      if (!comments.InComment(u)) {
        const RowOutcome r = AnalyseUrl(session, view, text, fileIndex, kTagPosScript, u, false);
        if (r == RowOutcome::Stop) return RowCount::Stop(rows);
        rows += RowsAdded(r);
      }
      q = u + w;
      if (Stopped(view)) return RowCount::Stop(rows);
    }
  }

  view.SetFileProgress(filePosition, fileRange);
  return FinishFile(view, rows);
}

RowCount ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                       const std::string& path, int fileIndex) {
  view.AppendLogLine(FileLogLine(path, text.Size), false);
  const int w = text.width();
  int rows = 0;
  view.SetFileProgress(0, 1);
  if (Stopped(view)) return RowCount::Stop(rows);
  Pos q = 0;
  while (true) {
    const Pos u = FindText(text, text.Size, "url(", q, StopMode::None);
    if (u == kNone) break;
    // The value begins at the '('.
    const Pos v = u + 3 * w;
    const RowOutcome r = AnalyseUrl(session, view, text, fileIndex, kTagPosStyle, v, false);
    if (r == RowOutcome::Stop) return RowCount::Stop(rows);
    rows += RowsAdded(r);
    q = v + w;
    if (Stopped(view)) return RowCount::Stop(rows);
  }
  view.SetFileProgress(1, 1);
  return FinishFile(view, rows);
}

}  // namespace urlsmith
