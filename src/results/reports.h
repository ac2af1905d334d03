// The plan of a review as the reports that other tools read: JUnit XML for CI servers, Markdown
// for people, SARIF 2.1.0 for code-scanning tools. Each reports the planned changes the review
// shows, the broken links that are left because deletion is not allowed, and the broken anchors,
// with the line and column of each in its file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "results/result_list.h"
#include "text/text_types.h"

namespace urlsmith {

// A place in a text: 1-based line and column, 0 when unknown.
struct TextPoint {
  int Line = 0;
  int Column = 0;
};

// The places of byte offsets of a text (given in any order, answered in the same order), in one
// walk over it. Lines end at CR, LF or CR LF; columns count characters (a UTF-16 surrogate pair
// or a UTF-8 sequence is one), a byte-order mark not included.
std::vector<TextPoint> PointsOf(const TextView& text, const std::vector<Pos>& offsets);

// One reported item: a row of the LinkTable, or an anchor report.
struct ReportItem {
  int File = 0;
  Pos Offset = 0;
  std::string Kind;  // the action word ("DELETE", "REPLACE", "TARGET (add)", ...) or "ANCHOR"
  std::string RuleId;
  std::string Url;
  std::string Value;    // the planned value, or the suggested anchor
  std::string Message;  // a sentence that says it all
  TextPoint At;
};

// The items of a review after FillResultList: the rows the list shows (but those that change
// nothing), the deletions it hides because deletion is not allowed, and the anchor reports; in
// file order, then by position. The files are read again for the line and column of each.
std::vector<ReportItem> CollectReportItems(const ResultStep& step);

// A file's name in reports: its path under the root folder, else the path itself.
std::string ReportName(const SearchSession& session, int file);

// One <testsuite> with a <testcase> per processable file and a <failure> per item.
std::string JunitReport(const ResultStep& step);
// A summary and a table per file that has items; the orphan files at the end.
std::string MarkdownReport(const ResultStep& step);
// One run of the tool (`version` is the program's) with a result per item.
std::string SarifReport(const ResultStep& step, std::string_view version);

// A Markdown table cell: characters that Markdown would read escaped, line breaks and other
// control characters as blanks, bytes that are not UTF-8 as U+FFFD.
std::string MarkdownCell(std::string_view text);

}  // namespace urlsmith
