// The per-file scanners the link search calls: pages, scripts and style sheets. Each writes its
// file's line in the run log, drives the per-file progress bar, polls for ESC and hands every
// URL it finds to the URL analysis. Each returns the number of rows it added for the file and
// whether the run is to stop (then the rows counted up to the stop).
#pragma once

#include <string>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

RowCount ScanPage(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex);
RowCount ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                        const std::string& path, int fileIndex);
RowCount ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                       const std::string& path, int fileIndex);

// The first part of a scanned file's log line: the path and its size.
std::string FileLogLine(const std::string& path, Pos size);

}  // namespace urlsmith
