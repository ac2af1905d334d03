#include "engine/tag_scanner.h"

#include <iterator>
#include <string>

#include "text/primitives.h"

namespace urlsmith {

namespace {

// The state of one FindTagUrls call.
struct Find {
  const TextView& text;
  const ScriptBlocks& blocks;
  const TagIndex* index;
  FileFindings& out;
  int w() const { return text.width(); }
};

// One row of the tag table.
void FindRow(Find& f, std::size_t rowIndex, int& filePosition) {
  const TagTableRow& row = kTagTable[rowIndex];
  const bool isAnchor = rowIndex == kAnchorTagRow;
  const bool isScript = rowIndex == kScriptTagRow;
  f.out.Progress(filePosition++);
  // The SCRIPT row finds its tags everywhere, also inside other script blocks.
  const ScriptBlocks everywhere;
  TagWalk walk(f.text, isScript ? everywhere : f.blocks, f.index);
  Pos p = 0;
  while (true) {
    p = walk.Find(row.Tag, p);
    if (p == kNone) return;
    Pos valuePos = kNone;
    if (FindAttribute(f.text, row.Attribute, p + row.Start * f.w(), nullptr, &valuePos, false) !=
        0) {
      f.out.Url(f.text, p, valuePos, true, isAnchor);
    }
    if (isScript) {
      p = f.index != nullptr ? f.index->Find("/SCRIPT", p) : FindTag(f.text, "/SCRIPT", p);
    } else {
      p = NextAfterTag(f.text, p);
    }
    if (p == kNone) return;
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

// The handler URLs of the tag at p.
void FindTagHandlerUrls(Find& f, Pos p, std::vector<AttributeToken>& attributes) {
  // The attributes begin after the '<' and the tag name.
  const int nameSpan = TagNameSpan(f.text, p);
  const Pos nameEnd = p + static_cast<Pos>(nameSpan) * f.w();
  if (FindAttribute(f.text, "on", nameEnd, nullptr, nullptr, true) == 0) return;
  // One walk over the tag's attributes serves the look-up of every handler name.
  ListAttributes(f.text, nameEnd, attributes);
  for (const std::string_view handler : kEventHandlerNames) {
    Pos valuePos = kNone;
    if (FindListedAttribute(f.text, attributes, handler, &valuePos, false) == 0) continue;
    Pos from = valuePos;
    StopMode mode = StopMode::Blank;
    HandlerValueBounds(f.text, valuePos, from, mode);
    ProtocolSearch protocols(f.text, f.text.Size, mode);
    for (Pos u = protocols.Next(from); u != kNone; u = protocols.Next(from)) {
      f.out.Url(f.text, p, u, false);
      from = u + f.w();
    }
  }
}

// The walk over every tag of the page, as TagWalk finds them one after the other, taken from
// the index's list of every tag: the tags and the script blocks are passed in order, once.
void WalkIndexedTags(Find& f, const std::vector<std::uint32_t>& every,
                     std::vector<AttributeToken>& attributes) {
  const ScriptBlocks& blocks = f.blocks;
  std::size_t i = 0;
  std::size_t startAt = 0;
  std::size_t endAt = 0;
  Pos p = 0;
  while (true) {
    while (i < every.size() && Pos{every[i]} < p)
      ++i;
    if (i == every.size()) return;
    const Pos t = every[i];
    bool inside = false;
    if (!blocks.TagsEverywhere) {
      // The last script block that starts before t, and where it ends.
      while (startAt < blocks.Starts.size() && blocks.Starts[startAt] < t)
        ++startAt;
      if (startAt > 0) {
        const Pos blockStart = blocks.Starts[startAt - 1];
        while (endAt < blocks.Ends.size() && blocks.Ends[endAt] <= blockStart)
          ++endAt;
        if (endAt == blocks.Ends.size()) return;  // the block never closes
        inside = blocks.Ends[endAt] >= t;
      }
    }
    if (!inside) FindTagHandlerUrls(f, t, attributes);
    p = NextAfterTag(f.text, t);
    if (p == kNone) return;
  }
}

// The event-handler phase.
void FindEventHandlerUrls(Find& f, int& filePosition) {
  f.out.Progress(filePosition++);
  std::vector<AttributeToken> attributes;
  const std::vector<std::uint32_t>* every =
      f.index != nullptr && !f.blocks.Overflow ? f.index->Positions("") : nullptr;
  if (every != nullptr) {
    WalkIndexedTags(f, *every, attributes);
  } else {
    TagWalk walk(f.text, f.blocks, f.index);
    Pos p = 0;
    while (true) {
      p = walk.Find("", p);
      if (p == kNone) break;
      FindTagHandlerUrls(f, p, attributes);
      p = NextAfterTag(f.text, p);
      if (p == kNone) break;
    }
  }
  f.out.Progress(filePosition, false);
}

}  // namespace

void FindTagUrls(const TextView& text, const SearchOptions& options, const ScriptBlocks& blocks,
                 const TagIndex* index, int& filePosition, FileFindings& out) {
  Find f{text, blocks, index, out};
  for (std::size_t i = 0; i < kTagTable.size(); ++i)
    FindRow(f, i, filePosition);
  if (options.ScanEventHandlers) FindEventHandlerUrls(f, filePosition);
}

}  // namespace urlsmith
