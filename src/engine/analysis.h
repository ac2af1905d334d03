// The analysis of one found URL: decoding, classification, resolving against the page's folder,
// the base URL or the file list, the Internet check, and at most one planned change recorded as
// a new row of the session's LinkTable. Also the two operations of the Link Target Adder and
// the replacement suggestion by file name.
#pragma once

#include <string>
#include <string_view>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"

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
  std::string Decoded;
};
ValueReading ReadFoundValue(const TextView& text, Pos tagPos, Pos valuePos);

// AnalyseUrl with the value read ahead by ReadFoundValue.
[[nodiscard]] RowOutcome AnalyseReadUrl(SearchSession& session, RunView& view, const TextView& text,
                                        int fileIndex, Pos tagPos, Pos valuePos, bool quoteFlag,
                                        const ValueReading& reading);

// Whether a link qualifies for the Link Target Adder. replacement may be null.
bool TargetAdderQualifies(const SearchSession& session, const std::string& url,
                          const std::string* replacement);

// Plans setting the link's target. valuePos is the existing target value's position, or -1 when
// the tag has none (a new attribute is planned). Stop when the table is full.
[[nodiscard]] RowOutcome AddTargetEntry(SearchSession& session, const TextView& text, int fileIndex,
                                        Pos tagPos, Pos valuePos, const std::string& url,
                                        const std::string& existingTarget, bool quoteFlag);

// The listed file of the same name that a broken link most likely meant, or -1, also when that
// is `fromFile`, the page that holds the link. The chosen file is marked as referenced.
int SuggestReplacement(SearchSession& session, std::string_view pathOrUrl, int startIndex,
                       int fromFile = -1);

}  // namespace urlsmith
