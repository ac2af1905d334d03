// The per-file scanners the link search calls: pages, scripts and style sheets. Each writes its
// file's line in the run log, drives the per-file progress bar, polls for ESC and hands every
// URL it finds to the URL analysis. Each returns the number of rows it added for the file, or a
// negative value (-1 minus the rows counted so far) when stopped.
#pragma once

#include <string>

#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

int ScanPage(SearchSession& session, RunView& view, const TextView& text, const std::string& path,
             int fileIndex);
int ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                   const std::string& path, int fileIndex);
int ScanStyleFile(SearchSession& session, RunView& view, const TextView& text,
                  const std::string& path, int fileIndex);

// The first part of a scanned file's log line: the path and its size.
std::string FileLogLine(const std::string& path, Pos size);

}  // namespace urlsmith
