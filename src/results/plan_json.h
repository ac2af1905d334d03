// The plan of a review as JSON text, for scripts: every row with its file, positions, URL,
// replacement and action word; the groups the list shows; the orphan files; the counts.
#pragma once

#include <string>
#include <string_view>

#include "results/result_list.h"

namespace urlsmith {

// Appends `bytes` as a JSON string literal (with its quotes). Valid UTF-8 is copied as it is;
// '"' and '\' are escaped, control characters and 0x7F become \b \f \n \r \t or \u00xx. A byte
// that is not part of a valid UTF-8 sequence (a Windows-1252 name, a truncated or overlong
// sequence, an encoded surrogate) becomes \u00xx with xx its own value, so the output is always
// valid JSON; such a byte reads back as the character U+00xx (its ISO 8859-1 meaning).
void AppendJsonString(std::string& out, std::string_view bytes);

// The plan after FillResultList (and any edits), as one JSON object:
//   "options":    the review options (sort, hide flags, allowLinkDeletion, makeBackups);
//   "countLabel": the count label's text;
//   "notice":     the notice line, or null when link deletion is allowed;
//   "counts":     rows, groups (entry lines), orphans (ORPHAN lines), fixes, hiddenRows (rows no
//                 line shows) and "actions" (rows per action word);
//   "groups":     per entry line in list order: group, line (its text as shown), action, url,
//                 value (the shown value), count, rows (their LinkTable indices);
//   "orphans":    the paths of the ORPHAN lines, in list order;
//   "anchors":    only when anchors are checked (and then also counted in "counts"): every
//                 fragment that names no element, with its file, positions, url, fragment,
//                 target (the page) and suggestion (the spelling planned, or null);
//   "rows":       every LinkTable row in table order: index, file (its path, null for an index
//                 outside the file list), fileIndex, tagPos, valuePos, spanLength, quoteLength,
//                 url, replacement (as stored, marks and quotes included), action, group (-1
//                 when hidden), fix (whether it is an automatic protocol fix).
// Action words: "DELETE", "REPLACE", "REPLACE (relative)", "REPLACE (copy old)",
// "TARGET (add)", "TARGET (modify)" (the line prefixes without the count).
std::string PlanJson(const ResultStep& step);

}  // namespace urlsmith
