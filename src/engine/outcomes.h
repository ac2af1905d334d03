// How the phases and scanners of a search end.
#pragma once

namespace urlsmith {

// A phase of the search run that either went through all of its files or was stopped by ESC.
enum class PhaseResult { Completed, Stopped };

// What the analysis of one URL did, or one of the rows it plans: no row, one row added, or the
// run is to stop (ESC during an Internet check, or the tables are full).
enum class RowOutcome { None, Added, Stop };

// The rows an outcome adds to a count.
constexpr int RowsAdded(RowOutcome outcome) {
  return outcome == RowOutcome::Added ? 1 : 0;
}

// What a scanner (or the link search over all files) ends with: the rows it counted and whether
// the run is to stop (ESC, or the tables became full). A stopped count keeps the rows counted up
// to the stop; the rows found stay in the session's LinkTable either way.
struct [[nodiscard]] RowCount {
  int Rows = 0;
  bool Stopped = false;

  static RowCount Done(int rows) { return RowCount{rows, false}; }
  static RowCount Stop(int rows) { return RowCount{rows, true}; }
};

}  // namespace urlsmith
