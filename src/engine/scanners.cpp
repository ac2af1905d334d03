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

// The strings of "@import" rules between from and end (@import "x.css"; the url( form is a
// "url(" value). The value begins at the string's quote and is read like a "url(" value.
void FindImportStrings(const TextView& text, Pos from, Pos end, FileFindings& out) {
  const int w = text.width();
  constexpr std::string_view kImport = "@import";
  for (Pos u = FindText(text, end, kImport, from, StopMode::None); u != kNone;
       u = FindText(text, end, kImport, u + static_cast<Pos>(kImport.size()) * w, StopMode::None)) {
    Pos v = u + static_cast<Pos>(kImport.size()) * w;
    while (v < end && IsBlankOrControl(CharAt(text, v)))
      v += w;
    const unsigned char c = CharAt(text, v);
    if (v < end && (c == '"' || c == '\'')) out.Url(text, kTagPosStyle, v, false);
  }
}

// The "url(" values of the STYLE blocks, and with HTML5 places their "@import" strings.
void FindStyleBlockUrls(const TextView& text, const ScriptBlocks& blocks, const TagIndex& index,
                        bool imports, FileFindings& out) {
  const int w = text.width();
  TagWalk walk(text, blocks, &index);
  Pos p = 0;
  while (true) {
    p = walk.Find("STYLE", p);
    if (p == kNone) return;
    Pos e = walk.Find("/STYLE", p);
    if (e == kNone) e = text.Size;
    const Pos q = e > p ? NextAfterTag(text, p) : kNone;
    if (q != kNone) {
      Pos u = FindText(text, e, "url(", q, StopMode::None);
      while (u != kNone) {
        // The value begins at the '('.
        const Pos v = u + 3 * w;
        out.Url(text, kTagPosStyle, v, false);
        const Pos next = v + w;
        if (next > text.Size) break;
        u = FindText(text, e, "url(", next, StopMode::None);
      }
      if (imports) FindImportStrings(text, q, e, out);
    }
    p = NextAfterTag(text, e);
    if (p == kNone) return;
  }
}

// Strings in the SCRIPT blocks that begin with a protocol name. With scripts taken as tags, the
// search in a block ends at its first '<' that is not followed by '='.
void FindScriptBlockUrls(const TextView& text, bool scriptsAreTags, const TagIndex& index,
                         FileFindings& out) {
  const int w = text.width();
  const StopMode mode = scriptsAreTags ? StopMode::LessThan : StopMode::None;
  ScriptCommentTracker comments(text);
  Pos p = 0;
  while (true) {
    const Pos s = index.Find("SCRIPT", p);
    if (s == kNone) return;
    Pos e = index.Find("/SCRIPT", s);
    if (e == kNone) e = text.Size;
    Pos q = e > s ? NextAfterTag(text, s) : kNone;
    if (q != kNone) {
      ProtocolSearch protocols(text, e, mode);
      for (Pos u = protocols.Next(q); u != kNone; u = protocols.Next(q)) {
        if (!comments.InComment(u)) out.Url(text, kTagPosScript, u, false);
        q = u + 6 * w;
        if (q > text.Size) break;
      }
    }
    p = NextAfterTag(text, e);
    if (p == kNone) return;
  }
}

void FindPageUrls(const TextView& text, const SearchOptions& options, const PreparedTags& tags,
                  FileFindings& out) {
  const bool scriptsAreTags = options.ScanScriptsByTag;
  ScriptBlocks blocks;
  if (!scriptsAreTags) {
    blocks.TagsEverywhere = false;
    blocks.Overflow = tags.ScriptsOverflow;
    blocks.Starts = tags.ScriptStarts;
    blocks.Ends = tags.ScriptEnds;
  }
  // The tag scan, the STYLE phase and the script phase.
  out.Range = TagScanSteps(options.ScanEventHandlers) + 1 + (options.ScanScriptsByProtocol ? 1 : 0);
  // Most addresses of a page are values of indexed tags: room for them at once.
  out.Events.reserve(tags.Index.IndexedCount() + static_cast<std::size_t>(out.Range) + 8);
  int filePosition = 0;
  out.BaseHref = FindBaseHref(text, &tags.Index);
  if (options.CheckAnchors) FindAnchorNames(text, blocks, &tags.Index, out.AnchorNames);
  FindTagUrls(text, options, blocks, &tags.Index, tags.Handlers, filePosition, out);
  out.Progress(filePosition++);
  FindStyleBlockUrls(text, blocks, tags.Index, options.SearchHtml5, out);
  if (options.ScanScriptsByProtocol) {
    out.Progress(filePosition++);
    FindScriptBlockUrls(text, scriptsAreTags, tags.Index, out);
  }
  out.Progress(filePosition, false);
}

void FindScriptFileUrls(const TextView& text, const SearchOptions& options,
                        const PreparedTags& tags, FileFindings& out) {
  out.Range = 1 + (options.ScanScriptsByProtocol ? 1 : 0);
  // Markup that a script writes is searched for tags only when scripts count as tags.
  const bool scanTags = options.ScanScriptsByTag;
  if (scanTags) out.Range += TagScanSteps(options.ScanEventHandlers);
  out.Progress(0, false);
  int filePosition = 1;
  if (scanTags) {
    FindTagUrls(text, options, ScriptBlocks{}, &tags.Index, tags.Handlers, filePosition, out);
  }
  if (options.ScanScriptsByProtocol) {
    out.Progress(filePosition++);
    const int w = text.width();
    ScriptCommentTracker comments(text);
    ProtocolSearch protocols(text, text.Size, StopMode::None);
    Pos q = 0;
    for (Pos u = protocols.Next(q); u != kNone; u = protocols.Next(q)) {
      if (!comments.InComment(u)) out.Url(text, kTagPosScript, u, false);
      q = u + w;
    }
  }
  out.Progress(filePosition, false);
}

void FindStyleFileUrls(const TextView& text, const SearchOptions& options, FileFindings& out) {
  const int w = text.width();
  out.Range = 1;
  out.Progress(0);
  Pos q = 0;
  while (true) {
    const Pos u = FindText(text, text.Size, "url(", q, StopMode::None);
    if (u == kNone) break;
    // The value begins at the '('.
    const Pos v = u + 3 * w;
    out.Url(text, kTagPosStyle, v, false);
    q = v + w;
  }
  if (options.SearchHtml5) FindImportStrings(text, 0, text.Size, out);
  out.Progress(1, false);
}

// The Link Target Adder on the A tag whose href value was just analysed.
RowOutcome AddLinkTarget(SearchSession& session, int fileIndex, Pos p, const AnchorTarget& tag,
                         int rowsBefore, int fixesBefore) {
  const ProcessingOptions& options = session.Processing;
  if (!options.TargetAdderEnabled || session.FixCount() != fixesBefore) return RowOutcome::None;
  const std::string* replacement = nullptr;
  if (session.LinkCount() > rowsBefore) {
    replacement = &session.LinkTable[static_cast<std::size_t>(rowsBefore)].Replacement;
  }
  if (!TargetAdderQualifies(session, tag.Href, replacement)) return RowOutcome::None;
  if (tag.HasTarget) {
    return AddTargetEntry(session, fileIndex, p, tag.TargetPos, tag.TargetValue, tag.Href,
                          tag.Target, true);
  }
  if (!options.AddsMissingTargets()) return RowOutcome::None;
  return AddTargetEntry(session, fileIndex, p, kNone, ValueReading{}, tag.Href, std::string(),
                        true);
}

// Hands a file's findings to the analysis in their order, with the file's progress and the
// polls for ESC; writes the end of the file's log line.
RowCount AnalyseFindings(SearchSession& session, RunView& view, int fileIndex,
                         const FileFindings& found) {
  int rows = 0;
  PageBase base =
      found.BaseHref ? ResolvePageBase(session, fileIndex, *found.BaseHref) : PageBase{};
  base.PageFolder = PageFolderOf(session, fileIndex);
  if (session.Search.CheckAnchors &&
      KindOfPath(session.FileList.path(fileIndex), session.pathStyle()) == FileKind::Page) {
    NoteAnchorNames(session, fileIndex, found.AnchorNames);
  }
  auto count = [&](RowOutcome outcome) {
    if (outcome == RowOutcome::Stop) return false;
    rows += RowsAdded(outcome);
    return true;
  };
  std::size_t anchor = 0;  // the next of found.AnchorTargets (none: the adder is off)
  for (const ScanEvent& e : found.Events) {
    switch (e.What) {
      case ScanEvent::Kind::Progress:
        view.SetFileProgress(e.Step, found.Range);
        if (view.StopPoll() == Poll::Stop) return RowCount::Stop(rows);
        break;
      case ScanEvent::Kind::ProgressOnly:
        view.SetFileProgress(e.Step, found.Range);
        break;
      case ScanEvent::Kind::Url: {
        const int rowsBefore = session.LinkCount();
        const int fixesBefore = session.FixCount();
        if (!count(AnalyseReadUrl(session, view, fileIndex, e.TagPos, e.ValuePos, e.QuoteFlag,
                                  e.Value, &base))) {
          return RowCount::Stop(rows);
        }
        if (e.Anchor && anchor < found.AnchorTargets.size() &&
            !count(AddLinkTarget(session, fileIndex, e.TagPos, found.AnchorTargets[anchor++],
                                 rowsBefore, fixesBefore))) {
          return RowCount::Stop(rows);
        }
        if (view.StopPoll() == Poll::Stop) return RowCount::Stop(rows);
        break;
      }
    }
  }
  view.AppendLogLine(std::to_string(rows) + " change(s) to apply", true);
  return RowCount::Done(rows);
}

RowCount ScanFile(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex, FileKind kind) {
  FileFindings found;
  FindAnalysedFindings(session, text, kind, found);
  return AnalyseFoundFile(session, view, path, fileIndex, text.Size, found);
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
  // The list of every tag serves the event handlers and the anchors only.
  out.Handlers = options.ScanEventHandlers && MayHaveEventHandler(text);
  out.Index.Build(text, IndexedTagsFor(options), out.Handlers || options.CheckAnchors);
  if (kind == FileKind::Page && !options.ScanScriptsByTag) {
    out.ScriptsOverflow =
        !CollectScriptRanges(text, out.ScriptStarts, out.ScriptEnds,
                             static_cast<std::size_t>(kMaxScriptRanges), &out.Index);
  }
}

void FindFileUrls(const TextView& text, FileKind kind, const SearchOptions& options,
                  FileFindings& out, PreparedTags* scratch) {
  out.Range = 0;
  out.Events.clear();
  PreparedTags own;
  PreparedTags& tags = scratch != nullptr ? *scratch : own;
  switch (kind) {
    case FileKind::Page:
      PrepareTags(text, kind, options, tags);
      FindPageUrls(text, options, tags, out);
      break;
    case FileKind::Script:
      PrepareTags(text, kind, options, tags);
      FindScriptFileUrls(text, options, tags, out);
      break;
    case FileKind::Style:
      FindStyleFileUrls(text, options, out);
      break;
    case FileKind::Other:
      break;
  }
}

void ReadAnchorTargets(const TextView& text, FileFindings& found) {
  found.AnchorTargets.clear();
  for (const ScanEvent& e : found.Events) {
    if (e.What != ScanEvent::Kind::Url || !e.Anchor) continue;
    AnchorTarget& tag = found.AnchorTargets.emplace_back();
    const Pos p = e.TagPos;
    FindAttribute(text, kTagTable[kAnchorTagRow].Attribute,
                  p + kTagTable[kAnchorTagRow].Start * text.width(), &tag.Href, nullptr, false);
    tag.HasTarget = FindAttribute(text, "target", p + 2 * text.width(), &tag.Target, &tag.TargetPos,
                                  false) != 0;
    if (tag.HasTarget) tag.TargetValue = ReadFoundValue(text, p, tag.TargetPos, found.Values);
  }
}

void FindAnalysedFindings(const SearchSession& session, const TextView& text, FileKind kind,
                          FileFindings& out, PreparedTags* scratch) {
  FindFileUrls(text, kind, session.Search, out, scratch);
  if (session.Processing.TargetAdderEnabled) ReadAnchorTargets(text, out);
}

RowCount AnalyseFoundFile(SearchSession& session, RunView& view, const std::string& path,
                          int fileIndex, Pos size, const FileFindings& found) {
  view.AppendLogLine(FileLogLine(path, size), false);
  return AnalyseFindings(session, view, fileIndex, found);
}

RowCount ScanPage(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex) {
  return ScanFile(session, view, text, path, fileIndex, FileKind::Page);
}

RowCount ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                        const std::string& path, int fileIndex) {
  return ScanFile(session, view, text, path, fileIndex, FileKind::Script);
}

RowCount ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                       const std::string& path, int fileIndex) {
  return ScanFile(session, view, text, path, fileIndex, FileKind::Style);
}

}  // namespace urlsmith
