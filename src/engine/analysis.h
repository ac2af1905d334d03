// The analysis of one found URL: decoding, classification, resolving against the page's folder,
// the base URL or the file list, the Internet check, and at most one planned change recorded as
// a new row of the session's LinkTable. Also the two operations of the Link Target Adder and
// the replacement suggestion by file name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"
#include "engine/value_store.h"

namespace urlsmith {

// Analyses the value at valuePos of the page fileIndex. tagPos is the tag's '<', kTagPosScript
// for a script string, kTagPosStyle for a style "url(" (read in the style mode). quoteFlag is
// true when the whole attribute value is the URL. Stop when the run must stop (ESC during an
// Internet check, or the tables are full).
[[nodiscard]] RowOutcome AnalyseUrl(SearchSession& session, RunView& view, const TextView& text,
                                    int fileIndex, Pos tagPos, Pos valuePos, bool quoteFlag);

// What the analysis reads of a found value before it looks at the session: the value as written
// (its span and quote), whether it needs escaping, and its decoded text. It depends on the text
// alone, so the scan threads read it ahead of the analysis.
struct ValueReading {
  bool Present = false;  // false: the text ends before the value does
  int Span = 0;
  int Quote = 0;
  bool NeedsEscaping = false;
  // Whether the value as written brings its own quotes; the second also counts the '(' of a
  // style url, as a reference to a file does.
  bool Quoted = false;
  bool QuotedOrParenthesis = false;
  // Kept in the ValueStore the reading was made with.
  std::string_view Decoded;
};
ValueReading ReadFoundValue(const TextView& text, Pos tagPos, Pos valuePos, ValueStore& store);

// The reading of an address that is a part of a value (an image candidate, the address of a
// refresh): the characters from `from` up to `to`, without quotes of its own.
ValueReading ReadSpanValue(const TextView& text, Pos from, Pos to, ValueStore& store);

// A page's <base href>, as its links are resolved against it: a local folder (relative links
// start there, and relative replacements are written from there), an Internet address
// (relative links are Internet addresses, and replacements are written absolute), or none (a
// base that names the page's own folder, or nothing a browser could resolve here).
struct PageBase {
  enum class Kind : std::uint8_t { None, Folder, Internet };
  Kind What = Kind::None;
  std::string Folder;  // Folder: in path form, ending in a separator
  std::string Url;     // Internet: the address without its fragment
  // The page's own folder, ending in a separator (PageFolderOf), when the caller computed it
  // once for all the page's links; empty otherwise.
  std::string PageFolder;
};
// href is the BASE tag's value, decoded; fileIndex the page.
PageBase ResolvePageBase(const SearchSession& session, int fileIndex, std::string_view href);

// The folder of listed file fileIndex, ending in a separator: where its relative links start.
std::string PageFolderOf(const SearchSession& session, int fileIndex);

// A reference relative to an Internet base address, resolved as a browser resolves it.
std::string ResolveAgainstBase(std::string_view base, std::string_view reference);

// AnalyseUrl with the value read ahead by ReadFoundValue (or ReadSpanValue): the page's text
// is not needed any more. base is the page's base, if any.
[[nodiscard]] RowOutcome AnalyseReadUrl(SearchSession& session, RunView& view, int fileIndex,
                                        Pos tagPos, Pos valuePos, bool quoteFlag,
                                        const ValueReading& reading,
                                        const PageBase* base = nullptr);

// Keeps the anchor names found in page fileIndex for the anchor check.
void NoteAnchorNames(SearchSession& session, int fileIndex, const std::vector<std::string>& names);

// The anchor check after the link search: every link noted with a fragment that names no
// element of its page gets an AnchorReport; when exactly one anchor of the page matches it
// ignoring letter case, that spelling is planned (in the row of the value, or in a new one).
// Stop when the table is full.
[[nodiscard]] RowOutcome CheckNotedAnchors(SearchSession& session);

// Whether a link qualifies for the Link Target Adder. replacement may be null.
bool TargetAdderQualifies(const SearchSession& session, const std::string& url,
                          const std::string* replacement);

// Plans setting the link's target. valuePos is the existing target value's position, or -1 when
// the tag has none (a new attribute is planned); target is that value as read there
// (ReadFoundValue). Stop when the table is full.
[[nodiscard]] RowOutcome AddTargetEntry(SearchSession& session, int fileIndex, Pos tagPos,
                                        Pos valuePos, const ValueReading& target,
                                        const std::string& url, const std::string& existingTarget,
                                        bool quoteFlag);

// The listed file of the same name that a broken link most likely meant, or -1, also when that
// is `fromFile`, the page that holds the link. The chosen file is marked as referenced.
int SuggestReplacement(SearchSession& session, std::string_view pathOrUrl, int startIndex,
                       int fromFile = -1);

}  // namespace urlsmith
