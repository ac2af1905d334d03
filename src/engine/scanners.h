// The per-file scanners the link search calls: pages, scripts and style sheets. Each writes its
// file's line in the run log, drives the per-file progress bar, polls for ESC and hands every
// URL it finds to the URL analysis. Each returns the number of rows it added for the file and
// whether the run is to stop (then the rows counted up to the stop).
#pragma once

#include <string>
#include <vector>

#include "engine/findings.h"
#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/scan_search.h"
#include "engine/search_model.h"

namespace urlsmith {

// The places of a file's tags and its script blocks, which the finding of its addresses reads.
struct PreparedTags {
  TagIndex Index;
  std::vector<Pos> ScriptStarts;
  std::vector<Pos> ScriptEnds;
  bool ScriptsOverflow = false;
  // Whether the event-handler phase has anything to look at (MayHaveEventHandler).
  bool Handlers = true;
};

// Prepares the tags of a file of this kind (nothing for style sheets, and for scripts unless
// they are searched for tags). The text's bytes must stay in place while the result is used.
void PrepareTags(const TextView& text, FileKind kind, const SearchOptions& options,
                 PreparedTags& out);

// Finds the addresses of a file of this kind, in the order the analysis takes them. Reads the
// text and the options only, so it may run on any thread. A thread that finds the addresses of
// many files may hand in its own `scratch`, whose lists are then reused from file to file.
void FindFileUrls(const TextView& text, FileKind kind, const SearchOptions& options,
                  FileFindings& out, PreparedTags* scratch = nullptr);

// What the Link Target Adder needs of the A tags of found addresses (FileFindings::
// AnchorTargets). Reads the text alone, so it may run on any thread.
void ReadAnchorTargets(const TextView& text, FileFindings& found);

// Everything the analysis of the file reads: FindFileUrls, and ReadAnchorTargets when the Link
// Target Adder is on. Reads the text, the options and nothing else of the session.
void FindAnalysedFindings(const SearchSession& session, const TextView& text, FileKind kind,
                          FileFindings& out, PreparedTags* scratch = nullptr);

// Writes the file's log line and hands the findings made ahead (FindAnalysedFindings) to the
// analysis; counts the rows it added. The file's text is not needed any more.
RowCount AnalyseFoundFile(SearchSession& session, RunView& view, const std::string& path,
                          int fileIndex, Pos size, const FileFindings& found);

// The scanners: each finds the addresses of the file and hands them to AnalyseFoundFile.
RowCount ScanPage(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex);
RowCount ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                        const std::string& path, int fileIndex);
RowCount ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                       const std::string& path, int fileIndex);

// The first part of a scanned file's log line: the path and its size.
std::string FileLogLine(const std::string& path, Pos size);

}  // namespace urlsmith
