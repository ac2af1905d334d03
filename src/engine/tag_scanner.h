// The tag scanner: finds the URLs that a page carries in tag attributes, kind of tag by kind of
// tag (the places of each kind come from one walk over the text, the page's tag index), marks
// the "A" tags for the Link Target Adder and, last, looks into the event-handler attributes of
// every tag for strings that begin with a protocol name.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// How an HTML5 place holds its addresses: the attribute value is one address, a list of image
// candidates ("a.jpg 1x, b.jpg 2x": each URL is an address), or the refresh of a META tag
// ("5; URL=page.htm", with http-equiv="refresh").
enum class PlaceForm : std::uint8_t { Address, CandidateList, Refresh };

// What a deleted address of an HTML5 place turns into (when deletion is allowed): its value
// emptied; the step-7 picture rendering (emptied or the picture URL); "#"; the element removed
// as a text link is (OBJECT: opening and closing tag removed, content kept; emptied when links
// are made empty); the tag removed (a META refresh, which would otherwise reload the page for
// ever); the candidate taken out of its list (or the picture URL put in its place).
enum class PlaceDeletion : std::uint8_t {
  Emptied,
  Picture,
  Hash,
  RemoveElement,
  RemoveTag,
  Candidate
};

// An HTML5 place: a tag (its whole name: "USE" does not match "USER") and the attribute that holds
// its address.
struct PlaceRow {
  std::string_view Tag;
  std::string_view Attribute;
  PlaceForm Form;
  PlaceDeletion Deletion;
  int Start;  // where the attribute search begins, as in the tag table
};

constexpr PlaceRow Place(std::string_view tag, std::string_view attribute, PlaceDeletion deletion,
                         PlaceForm form = PlaceForm::Address) {
  return {tag, attribute, form, deletion, 1 + static_cast<int>(tag.size())};
}

// The HTML5 places, searched in this order after the rows of the tag table.
inline constexpr auto kHtml5Places = std::to_array({
    Place("IMG", "srcset", PlaceDeletion::Candidate, PlaceForm::CandidateList),
    Place("SOURCE", "src", PlaceDeletion::Emptied),
    Place("SOURCE", "srcset", PlaceDeletion::Candidate, PlaceForm::CandidateList),
    Place("TRACK", "src", PlaceDeletion::Emptied),
    Place("AUDIO", "src", PlaceDeletion::Emptied),
    Place("VIDEO", "src", PlaceDeletion::Emptied),
    Place("VIDEO", "poster", PlaceDeletion::Picture),
    Place("OBJECT", "data", PlaceDeletion::RemoveElement),
    Place("META", "content", PlaceDeletion::RemoveTag, PlaceForm::Refresh),
    Place("IMAGE", "href", PlaceDeletion::Picture),
    Place("IMAGE", "xlink:href", PlaceDeletion::Picture),
    Place("USE", "href", PlaceDeletion::Emptied),
    Place("USE", "xlink:href", PlaceDeletion::Emptied),
    Place("LINK", "imagesrcset", PlaceDeletion::Candidate, PlaceForm::CandidateList),
    Place("FORM", "action", PlaceDeletion::Hash),
    Place("BUTTON", "formaction", PlaceDeletion::Hash),
    Place("INPUT", "formaction", PlaceDeletion::Hash),
    Place("BLOCKQUOTE", "cite", PlaceDeletion::Emptied),
    Place("Q", "cite", PlaceDeletion::Emptied),
    Place("INS", "cite", PlaceDeletion::Emptied),
    Place("DEL", "cite", PlaceDeletion::Emptied),
});

// The tags a page's index holds: the rows of the table, the other tags the scanners look for
// (the ends of script blocks, and style blocks), BASE, and then the tags of the HTML5 places that
// the table does not have. The first kIndexedTagsWithoutHtml5 serve a search without them.
inline constexpr std::size_t kIndexedTagsWithoutHtml5 = kTagTable.size() + 4;

// Every indexed name, and their count.
constexpr std::pair<std::array<std::string_view, kIndexedTagsWithoutHtml5 + kHtml5Places.size()>,
                    std::size_t>
AllIndexedTags() {
  std::array<std::string_view, kIndexedTagsWithoutHtml5 + kHtml5Places.size()> names{};
  std::size_t n = 0;
  for (const TagTableRow& row : kTagTable)
    names[n++] = row.Tag;
  names[n++] = "/SCRIPT";
  names[n++] = "STYLE";
  names[n++] = "/STYLE";
  names[n++] = "BASE";
  for (const PlaceRow& place : kHtml5Places) {
    bool known = false;
    for (std::size_t i = 0; i < n; ++i)
      known = known || names[i] == place.Tag;
    if (!known) names[n++] = place.Tag;
  }
  return {names, n};
}

inline constexpr auto kIndexedTags = [] {
  constexpr auto all = AllIndexedTags();
  std::array<std::string_view, all.second> names{};
  for (std::size_t i = 0; i < names.size(); ++i)
    names[i] = all.first[i];
  return names;
}();
static_assert(kIndexedTags.size() <= TagIndex::kMaxNames);

// The names to index a text for under these options.
inline std::span<const std::string_view> IndexedTagsFor(const SearchOptions& options) {
  return std::span<const std::string_view>(kIndexedTags)
      .first(options.SearchHtml5 ? kIndexedTags.size() : kIndexedTagsWithoutHtml5);
}

// False only when no tag of the text can carry an event handler with an address, so that the
// event-handler phase has nothing to look at: single-byte text with no word beginning with "on"
// that is followed by a '=' (blanks and controls between them allowed).
bool MayHaveEventHandler(const TextView& text);

// Whether the tag at p (its '<') has exactly the name of `length` characters that follows the
// '<': the character after it ends a tag name (a blank, a control character, '>' or '/').
bool IsWholeTagName(const TextView& text, Pos p, std::size_t length);

// The bounds of an attribute value's text: from after its opening quote up to its closing quote
// (or where the value ended without one).
struct ValueContent {
  Pos Start = kNone;
  Pos End = kNone;
  int Quote = 0;  // characters of the opening quote
};
ValueContent ContentOfValue(const TextView& text, Pos valuePos);

// One candidate of an image candidate list: its URL and the end of its descriptors ("2x").
struct ListCandidate {
  Pos Start = 0;
  Pos UrlEnd = 0;
  Pos End = 0;
};
// The candidates of the list between start and end, in order: a URL is a run of characters up to
// a blank (trailing commas are no part of it), its descriptors run up to the next comma.
void ListCandidates(const TextView& text, Pos start, Pos end, std::vector<ListCandidate>& out);

// The address of a refresh value between start and end ("5; URL='page.htm'"): its first
// character and its end; false when the value names none.
bool RefreshAddress(const TextView& text, Pos start, Pos end, Pos& from, Pos& to);

// The href of the page's first BASE tag that has one, decoded; nothing when there is none.
std::optional<std::string> FindBaseHref(const TextView& text, const TagIndex* index = nullptr);

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
// in text order, then (with SearchHtml5) the HTML5 places the same way, then (with
// ScanEventHandlers) the strings in event handlers that begin with a protocol name. filePosition is
// the per-file progress position, advanced once per row and once for the event-handler phase.
// index, when not null, is the text's index over kIndexedTags.
// handlers is false when MayHaveEventHandler(text) is: the event-handler phase then only takes
// its progress step.
void FindTagUrls(const TextView& text, const SearchOptions& options, const ScriptBlocks& blocks,
                 const TagIndex* index, bool handlers, int& filePosition, FileFindings& out);

// The ids of a page's tags and the names of its A tags, decoded and sorted: what a fragment of a
// link to the page may name. One walk over the page's tags.
void FindAnchorNames(const TextView& text, const ScriptBlocks& blocks, const TagIndex* index,
                     std::vector<std::string>& out);

}  // namespace urlsmith
