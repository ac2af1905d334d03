// The tag scanner: finds the URLs that a page carries in tag attributes, kind of tag by kind of
// tag (the places of each kind come from one walk over the text, the page's tag index), drives the
// Link Target Adder on "A" tags and, last, looks into the event-handler attributes of every tag for
// strings that begin with a protocol name.
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
  std::string_view Tag;
  std::string_view Attribute;
  int Start;
};

// A row whose attribute search begins right after the tag name.
constexpr TagTableRow TagRow(std::string_view tag, std::string_view attribute) {
  return {tag, attribute, 1 + static_cast<int>(tag.size())};
}

inline constexpr auto kTagTable = std::to_array({
    TagRow("A", "href"),
    TagRow("APPLET", "src"),
    TagRow("AREA", "href"),
    TagRow("BGSOUND", "src"),
    TagRow("EMBED", "src"),
    TagRow("FRAME", "src"),
    TagRow("IFRAME", "src"),
    TagRow("IMG", "src"),
    TagRow("INPUT", "src"),
    TagRow("LINK", "href"),
    TagRow("SCRIPT", "src"),
    TagRow("BODY", "background"),
    TagRow("TABLE", "background"),
    TagRow("TD", "background"),
    TagRow("TR", "background"),
});

// The index of the row of a tag (the table's size when it has none).
constexpr std::size_t TagRowOf(std::string_view tag) {
  std::size_t i = 0;
  while (i < kTagTable.size() && kTagTable[i].Tag != tag)
    ++i;
  return i;
}

// The row whose tag search ignores script blocks and jumps to the following "/SCRIPT" tag.
inline constexpr std::size_t kScriptTagRow = TagRowOf("SCRIPT");
// The row of the links that drive the Link Target Adder.
inline constexpr std::size_t kAnchorTagRow = TagRowOf("A");

// The tags a page's index holds: the rows of the table, then the other tags the scanners look
// for (the ends of script blocks, and style blocks).
inline constexpr auto kIndexedTags = [] {
  std::array<std::string_view, kTagTable.size() + 3> names{};
  for (std::size_t i = 0; i < kTagTable.size(); ++i)
    names[i] = kTagTable[i].Tag;
  names[kTagTable.size()] = "/SCRIPT";
  names[kTagTable.size() + 1] = "STYLE";
  names[kTagTable.size() + 2] = "/STYLE";
  return names;
}();
static_assert(kIndexedTags.size() <= TagIndex::kMaxNames);

// The per-file progress steps that ScanTags takes: one per row of the tag table, and one for the
// event-handler phase when it is on.
constexpr int TagScanSteps(bool eventHandlers) {
  return static_cast<int>(kTagTable.size()) + (eventHandlers ? 1 : 0);
}

// The event-handler attributes searched for URLs, in this order.
inline constexpr auto kEventHandlerNames = std::to_array<std::string_view>({
    "onabort",
    "onactivate",
    "onafterprint",
    "onafterupdate",
    "onbeforeactivate",
    "onbeforecopy",
    "onbeforecut",
    "onbeforedeactivate",
    "onbeforeeditfocus",
    "onbeforepaste",
    "onbeforeprint",
    "onbeforeunload",
    "onbeforeupdate",
    "onblur",
    "onbounce",
    "oncellchange",
    "onchange",
    "onclick",
    "oncontextmenu",
    "oncontrolselect",
    "oncopy",
    "oncut",
    "ondataavailable",
    "ondatasetchanged",
    "ondatasetcomplete",
    "ondblclick",
    "ondeactivate",
    "ondrag",
    "ondragend",
    "ondragenter",
    "ondragleave",
    "ondragover",
    "ondragstart",
    "ondrop",
    "onerror",
    "onerrorupdate",
    "onfilterchange",
    "onfinish",
    "onfocus",
    "onfocusin",
    "onfocusout",
    "onhelp",
    "onkeydown",
    "onkeypress",
    "onkeyup",
    "onlayoutcomplete",
    "onload",
    "onlosecapture",
    "onmousedown",
    "onmouseenter",
    "onmouseleave",
    "onmousemove",
    "onmouseout",
    "onmouseover",
    "onmouseup",
    "onmousewheel",
    "onmove",
    "onmoveend",
    "onmovestart",
    "onpaste",
    "onpropertychange",
    "onreadystatechange",
    "onreset",
    "onresize",
    "onresizeend",
    "onresizestart",
    "onrowenter",
    "onrowexit",
    "onrowsdelete",
    "onrowsinserted",
    "onscroll",
    "onselect",
    "onselectionchange",
    "onselectstart",
    "onstart",
    "onstop",
    "onsubmit",
    "onunload",
});

// Scans the tags of one file. filePosition is the per-file progress position, advanced once per
// row of the tag table and once for the event-handler phase (when ScanEventHandlers is on).
// Returns rowsSoFar plus the rows added, and whether the run is to stop (ESC, or the tables
// became full). index, when not null, is the text's index over kIndexedTags.
RowCount ScanTags(SearchSession& session, RunView& view, const TextView& text, int fileIndex,
                  int rowsSoFar, int& filePosition, int fileRange, const ScriptBlocks& blocks,
                  const TagIndex* index = nullptr);

}  // namespace urlsmith
