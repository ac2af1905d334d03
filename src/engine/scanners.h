// The per-file scanners the link search calls: pages, scripts and style sheets. Each writes its
// file's line in the run log, drives the per-file progress bar, polls for ESC and hands every
// URL it finds to the URL analysis. Each returns the number of rows it added for the file and
// whether the run is to stop (then the rows counted up to the stop).
#pragma once

#include <string>
#include <vector>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/scan_search.h"
#include "engine/search_model.h"

namespace urlsmith {

// What the scan of one file reads of its text besides the session: the places of its tags and
// its script blocks. It depends only on the text and the search options, so it can be prepared
// on any thread, ahead of the scan.
struct PreparedTags {
  TagIndex Index;
  std::vector<Pos> ScriptStarts;
  std::vector<Pos> ScriptEnds;
  bool ScriptsOverflow = false;
};

// Prepares what the scanner of a file of this kind reads (nothing for style sheets, and for
// scripts unless they are searched for tags). The text's bytes must stay in place while the
// result is used.
void PrepareTags(const TextView& text, FileKind kind, const SearchOptions& options,
                 PreparedTags& out);

// The scanners take the file's prepared tags, or prepare them themselves when given none.
RowCount ScanPage(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex, const PreparedTags* prepared = nullptr);
RowCount ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                        const std::string& path, int fileIndex,
                        const PreparedTags* prepared = nullptr);
RowCount ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                       const std::string& path, int fileIndex);

// The first part of a scanned file's log line: the path and its size.
std::string FileLogLine(const std::string& path, Pos size);

}  // namespace urlsmith
