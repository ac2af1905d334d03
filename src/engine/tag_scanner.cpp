#include "engine/tag_scanner.h"

#include <iterator>
#include <string>

#include "engine/analysis.h"
#include "text/primitives.h"

namespace urlsmith {

namespace {

// The state of one ScanTags call: the running count, stopped once the scan is to end.
struct Scan {
  SearchSession& session;
  RunView& view;
  const TextView& text;
  int fileIndex;
  RowCount count;
  const ScriptBlocks& blocks;
  const TagIndex* index;
  int w() const { return text.width(); }

  // Polls the view; at ESC the count is marked stopped.
  bool StopAsked() {
    if (view.StopPoll() != Poll::Stop) return false;
    count.Stopped = true;
    return true;
  }
  // Counts the row an analysis added. A stop (ESC, or the tables are full) ends the scan: false,
  // with the count marked stopped.
  bool Count(RowOutcome outcome) {
    if (outcome == RowOutcome::Stop) {
      count.Stopped = true;
      return false;
    }
    count.Rows += RowsAdded(outcome);
    return true;
  }
};

// The Link Target Adder on the A tag at p, whose href value was just analysed.
RowOutcome AddLinkTarget(Scan& s, Pos p, const std::string& href, int rowsBefore, int fixesBefore) {
  SearchSession& session = s.session;
  const ProcessingOptions& options = session.Processing;
  if (!options.TargetAdderEnabled || session.FixCount() != fixesBefore) return RowOutcome::None;
  const std::string* replacement = nullptr;
  if (session.LinkCount() > rowsBefore) {
    replacement = &session.LinkTable[static_cast<std::size_t>(rowsBefore)].Replacement;
  }
  if (!TargetAdderQualifies(session, href, replacement)) return RowOutcome::None;
  std::string target;
  Pos targetPos = kNone;
  if (FindAttribute(s.text, "target", p + 2 * s.w(), &target, &targetPos, false) != 0) {
    return AddTargetEntry(session, s.text, s.fileIndex, p, targetPos, href, target, true);
  }
  if (!options.AddsMissingTargets()) return RowOutcome::None;
  return AddTargetEntry(session, s.text, s.fileIndex, p, kNone, href, std::string(), true);
}

// One row of the tag table. Returns false when the scan is to end (s.count is stopped).
bool ScanRow(Scan& s, std::size_t rowIndex, int& filePosition, int fileRange) {
  const TagTableRow& row = kTagTable[rowIndex];
  const bool isAnchor = rowIndex == kAnchorTagRow;
  const bool isScript = rowIndex == kScriptTagRow;
  s.view.SetFileProgress(filePosition, fileRange);
  ++filePosition;
  if (s.StopAsked()) return false;
  // The SCRIPT row finds its tags everywhere, also inside other script blocks.
  const ScriptBlocks everywhere;
  TagWalk walk(s.text, isScript ? everywhere : s.blocks, s.index);
  std::string value;
  Pos p = 0;
  while (true) {
    p = walk.Find(row.Tag, p);
    if (p == kNone) return true;
    Pos valuePos = kNone;
    value.clear();
    if (FindAttribute(s.text, row.Attribute, p + row.Start * s.w(), isAnchor ? &value : nullptr,
                      &valuePos, false) != 0) {
      const int rowsBefore = s.session.LinkCount();
      const int fixesBefore = s.session.FixCount();
      if (!s.Count(AnalyseUrl(s.session, s.view, s.text, s.fileIndex, p, valuePos, true))) {
        return false;
      }
      if (isAnchor && !s.Count(AddLinkTarget(s, p, value, rowsBefore, fixesBefore))) return false;
    }
    if (isScript) {
      p = s.index != nullptr ? s.index->Find("/SCRIPT", p) : FindTag(s.text, "/SCRIPT", p);
    } else {
      p = NextAfterTag(s.text, p);
    }
    if (p == kNone) return true;
    if (s.StopAsked()) return false;
  }
}

// What ends the search inside a handler value, by the value's quote (QuoteKind order); an
// unquoted value ends at a blank.
constexpr StopMode kHandlerValueStops[] = {StopMode::Blank,
                                           StopMode::DoubleQuote,
                                           StopMode::Apostrophe,
                                           StopMode::EscapedDoubleQuote,
                                           StopMode::EscapedApostrophe,
                                           StopMode::Blank};
static_assert(std::size(kHandlerValueStops) ==
              static_cast<std::size_t>(QuoteKind::Parenthesis) + 1);

// Where the search inside a handler value begins and what ends it, by the value's quote.
void HandlerValueBounds(const TextView& text, Pos valuePos, Pos& from, StopMode& mode) {
  const QuoteKind kind = OpeningQuote(text, valuePos, false);
  from = valuePos + static_cast<Pos>(QuoteLength(kind)) * text.width();
  mode = kHandlerValueStops[static_cast<int>(kind)];
}

// The event-handler phase. Returns false when the scan is to end (s.count is stopped).
bool ScanEventHandlers(Scan& s, int& filePosition, int fileRange) {
  s.view.SetFileProgress(filePosition, fileRange);
  ++filePosition;
  if (s.StopAsked()) return false;
  TagWalk walk(s.text, s.blocks, s.index);
  Pos p = 0;
  while (true) {
    p = walk.Find("", p);
    if (p == kNone) break;
    // The attributes begin after the '<' and the tag name.
    int nameSpan = 0;
    ExtractValue(s.text, p, nullptr, ValueMode::TagName, &nameSpan, nullptr);
    const Pos nameEnd = p + static_cast<Pos>(nameSpan) * s.w();
    if (FindAttribute(s.text, "on", nameEnd, nullptr, nullptr, true) != 0) {
      for (const std::string_view handler : kEventHandlerNames) {
        Pos valuePos = kNone;
        if (FindAttribute(s.text, handler, nameEnd, nullptr, &valuePos, false) == 0) continue;
        Pos from = valuePos;
        StopMode mode = StopMode::Blank;
        HandlerValueBounds(s.text, valuePos, from, mode);
        ProtocolSearch protocols(s.text, s.text.Size, mode);
        for (Pos u = protocols.Next(from); u != kNone; u = protocols.Next(from)) {
          if (!s.Count(AnalyseUrl(s.session, s.view, s.text, s.fileIndex, p, u, false))) {
            return false;
          }
          from = u + s.w();
        }
      }
    }
    p = NextAfterTag(s.text, p);
    if (p == kNone) break;
    if (s.StopAsked()) return false;
  }
  s.view.SetFileProgress(filePosition, fileRange);
  return true;
}

}  // namespace

RowCount ScanTags(SearchSession& session, RunView& view, const TextView& text, int fileIndex,
                  int rowsSoFar, int& filePosition, int fileRange, const ScriptBlocks& blocks,
                  const TagIndex* index) {
  Scan s{session, view, text, fileIndex, RowCount::Done(rowsSoFar), blocks, index};
  for (std::size_t i = 0; i < kTagTable.size(); ++i) {
    if (!ScanRow(s, i, filePosition, fileRange)) return s.count;
  }
  if (session.Search.ScanEventHandlers) ScanEventHandlers(s, filePosition, fileRange);
  return s.count;
}

}  // namespace urlsmith
