// The search run: the phases over the file list (root path, processable files, encodings,
// saved-page addresses, the link search), their log lines, progress and status texts.
#pragma once

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/saved_from.h"
#include "engine/search_model.h"

namespace urlsmith {

enum class SearchOutcome {
  Refused,       // too many files: nothing was searched
  Stopped,       // ESC, or a table became full; rows found so far stay
  NothingFound,  // completed without rows: the results cannot be shown
  Found,         // completed with rows
};

struct SearchResult {
  SearchOutcome Outcome = SearchOutcome::Refused;
  int Total = 0;  // rows added (for Stopped: the rows in the table)
};

inline constexpr const char* kTooManyFilesMessage =
    "The number of files added for processing exceeds the maximum allowed!\n"
    "Please remove some files from the list and try again.";

// Prepares a run: resets the rows, opens the Internet session, empties the log, sets the status
// and progress. Returns false (after the message) when the list holds too many files.
bool PrepareSearch(SearchSession& session, RunView& view);

// Runs the phases. The first four run only while RootPath is empty (the first run after the
// processing options were shown); a second pass goes straight to the link search.
SearchResult RunSearchPhases(SearchSession& session, RunView& view);

// PrepareSearch then RunSearchPhases.
SearchResult RunSearch(SearchSession& session, RunView& view);

// The phases before the link search.
[[nodiscard]] PhaseResult FindRootPath(SearchSession& session, RunView& view);
[[nodiscard]] PhaseResult CountProcessableFiles(SearchSession& session, RunView& view);
// With `looks`, the Unicode look also searches every page for "saved from url" (see
// SavedFromLooks). The phases that read files read into `buffers` when they are given.
[[nodiscard]] PhaseResult FindUnicodeFiles(SearchSession& session, RunView& view,
                                           SavedFromLooks* looks = nullptr,
                                           ReadBuffers* buffers = nullptr);
// The link search over all files: the rows added, or stopped (ESC, or the tables became full).
RowCount SearchBrokenLinks(SearchSession& session, RunView& view, ReadBuffers* buffers = nullptr);

// The overall progress bar for item i of n: range 0..n, position i + 1.
inline void SetOverallProgress(RunView& view, int i, int n) {
  view.SetOverallProgress(i + 1, n);
}

}  // namespace urlsmith
