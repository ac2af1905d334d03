// The tag scanner: finds the URLs that a page carries in tag attributes, kind of tag by kind of
// tag (the places of each kind come from one walk over the text, the page's tag index), marks
// the "A" tags for the Link Target Adder and, last, looks into the event-handler attributes of
// every tag for strings that begin with a protocol name.
#pragma once

#include <array>
#include <string_view>

#include "engine/findings.h"
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

// Finds the addresses of one file's tags into out: row by row of the tag table, each row's tags
// in text order, then (with ScanEventHandlers) the strings in event handlers that begin with a
// protocol name. filePosition is the per-file progress position, advanced once per row and
// once for the event-handler phase. index, when not null, is the text's index over
// kIndexedTags.
void FindTagUrls(const TextView& text, const SearchOptions& options, const ScriptBlocks& blocks,
                 const TagIndex* index, int& filePosition, FileFindings& out);

}  // namespace urlsmith
