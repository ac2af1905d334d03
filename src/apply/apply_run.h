// The apply run: every processable file of the list is read, rewritten with its planned
// changes and, when that changes its text, put in place of the old one, optionally keeping the
// old file as a backup named after it plus ".bak". A file whose text stays the same is left
// alone, with its times and its older backup. A file is never lost or left half-written: the new
// text goes to a temporary file in the same folder, is flushed to the disk and then renamed over
// the old file; when anything fails the old file stays as it was and the log says so.
#pragma once

#include <string>
#include <string_view>

#include "apply/rewriter.h"
#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

inline constexpr std::string_view kBackupSuffix = ".bak";
inline constexpr const char* kApplyStopQuestion =
    "There are still some files to be processed, are you sure you want to cancel?";

struct ApplyOptions {
  RewriteOptions Rewrite;
  // Whether the backup check box (rewrite.Review.MakeBackups) is enabled: it is disabled during
  // a second pass, whose changes go over the first pass's without backups.
  bool MakeBackupsEnabled = true;
  // Writes (and backs up) every processable file even when its text stays the same, as earlier
  // versions did; the apply benchmark measures the difference. Off: such files are not touched.
  bool WriteUnchangedFiles = false;
  // Backups are made when the box is both checked and enabled.
  bool BackupsOn() const { return Rewrite.Review.MakeBackups && MakeBackupsEnabled; }
};

// What a run of the apply step works from, as both fronts build it: the review and deletion
// options with the replacement URLs normalised as their edits do when they lose the focus
// (`canonicalizeUrls` is the CanonicalizeUrls processing option), and whether the backup box is
// enabled.
ApplyOptions MakeApplyOptions(const ResultOptions& review, const DeletionOptions& deletion,
                              bool canonicalizeUrls, PathStyle style, bool backupsEnabled = true);

// What follows the run, and what the wizard's Next button offers: a second pass when automatic
// protocol fixes were written (they can make further changes necessary), otherwise a fresh
// start.
enum class AfterApply { NextPass, StartOver };

struct [[nodiscard]] ApplyResult {
  bool Stopped = false;    // the user stopped the run
  int Changes = 0;         // the change total: rows of every file written (up to a stop)
  int FilesWritten = 0;    // files put in place with their new text
  int FilesUnchanged = 0;  // files whose text came out as it was: not written, backup untouched
  int FilesFailed = 0;     // files that could not be read or written; left as they were
  AfterApply Next = AfterApply::StartOver;
};

// The backup name of a file: its full path followed by ".bak".
std::string BackupPathOf(std::string_view path);

// What the status line of the apply step shows.
enum class ApplyStatus {
  StopHint,  // the stop-key hint, while the run goes on
  Done,      // the summary of `total` changes over the processable files (and the failures)
  Stopped,   // "Stopped" (with the failures, if any)
};

// Sets the status line; processableCount is the session's ProcessableCount.
void ApplySummary(RunView& view, ApplyStatus status, int total, int processableCount,
                  int filesFailed = 0, int filesWritten = 0, int filesUnchanged = 0);

// Visits the file list in order: processable files are rewritten and replaced, each with one
// log line ending in "done", "no change" (the text stays as it is and the file is not written)
// or the reason it failed; the progress bar follows the list;
// ESC asks whether to cancel. The session's file system does the reading and writing.
ApplyResult ApplyRun(SearchSession& session, const ApplyOptions& options, RunView& view);

// The whole apply step: clears the log, sets the progress and the stop-key hint, runs
// ApplyRun with SearchBusy set, and sets the summary (or "Stopped").
ApplyResult ApplyStep(SearchSession& session, const ApplyOptions& options, RunView& view);

}  // namespace urlsmith
