// The tag scanner: finds the URLs that a page carries in tag attributes, one pass over the text
// per kind of tag, drives the Link Target Adder on "A" tags and, last, looks into the
// event-handler attributes of every tag for strings that begin with a protocol name.
#pragma once

#include <array>
#include <string_view>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/scan_search.h"
#include "engine/search_model.h"

namespace urlsmith {

// One kind of tag and the attribute that holds its URL. The attribute search begins `start`
// characters after the tag's '<' (one plus the length of the tag name).
struct TagTableRow {
  std::string_view tag;
  std::string_view attribute;
  int start;
};

inline constexpr std::array<TagTableRow, 15> kTagTable = {{
    {"A", "href", 2},
    {"APPLET", "src", 7},
    {"AREA", "href", 5},
    {"BGSOUND", "src", 8},
    {"EMBED", "src", 6},
    {"FRAME", "src", 6},
    {"IFRAME", "src", 7},
    {"IMG", "src", 4},
    {"INPUT", "src", 6},
    {"LINK", "href", 5},
    {"SCRIPT", "src", 7},
    {"BODY", "background", 5},
    {"TABLE", "background", 6},
    {"TD", "background", 3},
    {"TR", "background", 3},
}};

// The row whose tag search ignores script blocks and jumps to the following "/SCRIPT" tag.
inline constexpr std::size_t kScriptTagRow = 10;

// The event-handler attributes searched for URLs, in this order.
extern const std::array<std::string_view, 78> kEventHandlerNames;

// Scans the tags of one file. filePosition is the per-file progress position, advanced once per
// row of the tag table and once for the event-handler phase (when ScanEventHandlers is on).
// Returns rowsSoFar plus the rows added, and whether the run is to stop (ESC, or the tables
// became full).
RowCount ScanTags(SearchSession& session, RunView& view, const TextView& text, int fileIndex,
                  int rowsSoFar, int& filePosition, int fileRange, const ScriptBlocks& blocks);

}  // namespace urlsmith
