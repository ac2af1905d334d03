#include "apply/apply_run.h"

#include <algorithm>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "text/primitives.h"
#include "text/text_loading.h"

namespace urlsmith {

namespace {

std::string Failed(std::string_view reason) {
  std::string text = "failed: ";
  text.append(reason).append("; the file is unchanged");
  return text;
}

// Whether the text read now differs from the text the link search read.
bool ChangedSinceSearch(const SearchSession& session, int index,
                        std::span<const std::uint8_t> bytes) {
  const auto i = static_cast<std::size_t>(index);
  if (i >= session.FileFingerprint.size() || session.FileFingerprint[i] == 0) return false;
  return session.FileFingerprint[i] != TextFingerprint(bytes);
}

std::string WithError(std::string_view what, const std::string& error) {
  std::string text(what);
  if (!error.empty()) text.append(" (").append(error).append(")");
  return text;
}

// Puts `bytes` in place of the file at `path`; with `backup`, the old file is kept under its
// backup name (an older backup of that name is replaced). Returns what failed, or nothing when
// the new text is in place. Whatever fails, the file at `path` keeps its old text and no
// temporary file is left behind.
std::optional<std::string> ReplaceFile(FileSystem& fs, const std::string& path,
                                       const std::vector<std::uint8_t>& bytes, const FileInfo& info,
                                       bool backup) {
  std::string error;
  const std::optional<std::string> temp = fs.WriteTempFile(path, bytes, info, &error);
  if (!temp) return WithError("cannot write the new text", error);
  const auto discard = [&fs](const std::string& name) {
    std::string ignored;
    fs.Remove(name, &ignored);
  };

  if (backup) {
    const std::string backupPath = BackupPathOf(path);
    // The backup is the old file itself. Preferably it gets its backup name as a second name,
    // so that the file keeps its own name all the time: a hard link under a fresh name, renamed
    // over any older backup.
    const std::string linkName = *temp + "-old";
    if (fs.HardLink(path, linkName, &error)) {
      const bool moved = fs.Rename(linkName, backupPath, &error);
      discard(linkName);  // left over when the rename failed, or when both names were one file
      if (!moved) {
        discard(*temp);
        return WithError("cannot make the backup", error);
      }
      if (!fs.Rename(*temp, path, &error)) {
        discard(*temp);
        return WithError("cannot replace the file", error);
      }
    } else {
      // No hard links here: the old file is renamed to the backup name, and renamed back when
      // the new one cannot take its place.
      if (!fs.Rename(path, backupPath, &error)) {
        discard(*temp);
        return WithError("cannot make the backup", error);
      }
      if (!fs.Rename(*temp, path, &error)) {
        discard(*temp);
        std::string undo;
        if (!fs.Rename(backupPath, path, &undo)) {
          return WithError("cannot replace the file", error) + "; its text is kept in " +
                 backupPath;
        }
        return WithError("cannot replace the file", error);
      }
    }
  } else if (!fs.Rename(*temp, path, &error)) {
    discard(*temp);
    return WithError("cannot replace the file", error);
  }
  fs.SyncFolder(FolderOf(path, PathStyle::Posix));
  return std::nullopt;
}

}  // namespace

std::string BackupPathOf(std::string_view path) {
  std::string backup(path);
  backup.append(kBackupSuffix);
  return backup;
}

void ApplySummary(RunView& view, ApplyStatus status, int total, int processableCount,
                  int filesFailed, int filesWritten, int filesUnchanged) {
  const std::string failed =
      filesFailed > 0 ? std::to_string(filesFailed) + " file(s) failed and are unchanged" : "";
  switch (status) {
    case ApplyStatus::StopHint:
      view.SetKeyStatus(StatusKey::PressEscToStop);
      return;
    case ApplyStatus::Done: {
      std::string text = "Done: " + std::to_string(total) + " change(s) in " +
                         std::to_string(processableCount) + " file(s) applied";
      text += filesFailed > 0 ? "; " + failed : " successfully";
      if (filesUnchanged > 0) {
        text += " (" + std::to_string(filesWritten) + " written, " +
                std::to_string(filesUnchanged) + " unchanged)";
      }
      view.SetStatus(text);
      return;
    }
    case ApplyStatus::Stopped:
      view.SetStatus(filesFailed > 0 ? "Stopped; " + failed : "Stopped");
      return;
  }
}

ApplyOptions MakeApplyOptions(const ResultOptions& review, const DeletionOptions& deletion,
                              bool canonicalizeUrls, PathStyle style, bool backupsEnabled) {
  ApplyOptions options;
  options.Rewrite.Review = review;
  options.Rewrite.Deletion = deletion;
  NormalizeReplacementUrls(options.Rewrite.Deletion, canonicalizeUrls, style);
  options.MakeBackupsEnabled = backupsEnabled;
  return options;
}

ApplyResult ApplyRun(SearchSession& session, const ApplyOptions& options, RunView& view) {
  ApplyResult result;
  FileSystem& fs = session.fs();
  const PathStyle style = session.pathStyle();
  const int fileCount = session.FileList.size();
  const bool backup = options.BackupsOn();
  PageRewriter rewriter(session, options.Rewrite);
  std::vector<std::uint8_t> written(static_cast<std::size_t>(fileCount), 0);
  std::vector<std::uint8_t> out;
  // The files rewritten so far, by the path they resolve to, with the name they were listed
  // under. A file listed a second time (through a symbolic link to it) already holds its new
  // text, which the rows found in the old text no longer fit.
  std::unordered_map<std::string, std::string> rewritten;

  for (int i = 0; i < fileCount; ++i) {
    const std::string& path = session.FileList.path(i);
    if (IsProcessable(path, style)) {
      std::string error;
      std::optional<FileInfo> info = fs.Stat(path, &error);
      if (info && info->IsDirectory) {
        info.reset();
        error = "it is a folder";
      }
      if (!info) {
        view.AppendLogLine(
            "Processing \"" + path + "\" ... " + Failed(WithError("cannot open the file", error)),
            false);
        ++result.FilesFailed;
      } else if (info->Size > 0) {
        view.AppendLogLine(
            "Processing \"" + path + "\" (" + std::to_string(info->Size) + " bytes) ... ", false);
        const std::string real = fs.CanonicalPath(path);
        const auto same = real.empty() ? rewritten.end() : rewritten.find(real);
        std::optional<std::string> failure;
        std::string skipped;
        ReadResult read = same != rewritten.end() ? ReadResult{} : fs.ReadWholeFile(path);
        if (same != rewritten.end()) {
          // Its new text is in place already; the log says so and nothing is counted twice.
          skipped = "skipped: the same file as \"" + same->second + "\", rewritten already";
        } else if (read.Status == ReadStatus::TooLarge) {
          failure = "the file is too large";
        } else if (read.Status == ReadStatus::Unreadable) {
          failure = WithError("cannot read the file", read.Error);
        } else if (read.Status == ReadStatus::Ok && !info->Writable) {
          failure = "the file is read-only";
        } else if (read.Status == ReadStatus::Ok && ChangedSinceSearch(session, i, read.Bytes)) {
          // The planned changes are tied to places in the text the search read.
          failure = "the file changed since the search";
        } else if (read.Status == ReadStatus::Ok) {
          // The rewriter works on little-endian text and writes a big-endian file back in its
          // own byte order.
          const FileEncoding encoding = session.PrepareText(i, read.Bytes);
          out.clear();
          const int rows = rewriter.RewritePage(session.View(read.Bytes, encoding), i, out);
          // A text that comes out as it went in is left alone: the file keeps its bytes, its
          // times and its older backup.
          if (encoding == FileEncoding::Utf16Be) ByteSwapText(read.Bytes.data(), read.Bytes.size());
          const bool unchanged =
              std::ranges::equal(out, read.Bytes) && !options.WriteUnchangedFiles;
          read.Bytes = {};
          if (unchanged) {
            skipped = "no change";
            ++result.FilesUnchanged;
          } else {
            failure = ReplaceFile(fs, path, out, *info, backup);
          }
          if (!failure && !unchanged) {
            result.Changes += rows;
            ++result.FilesWritten;
            written[static_cast<std::size_t>(i)] = 1;
            if (const std::string now = fs.CanonicalPath(path); !now.empty()) {
              rewritten.emplace(now, path);
            }
          }
        }
        if (failure) {
          view.AppendLogLine(Failed(*failure), true);
          ++result.FilesFailed;
        } else if (!skipped.empty()) {
          view.AppendLogLine(skipped, true);
        } else {
          view.AppendLogLine("done", true);
        }
      }
    }
    view.SetOverallProgress(i + 1, fileCount);
    if (view.StopPoll() == Poll::Stop && view.AskYesNo(kApplyStopQuestion)) {
      result.Stopped = true;
      break;
    }
  }

  // Only fixes that are really in the files call for a second pass: those of files that were
  // not written (failed, or not reached before a stop) leave the FixList.
  const auto& table = session.LinkTable;
  auto& fixes = session.FixList;
  fixes.erase(std::remove_if(fixes.begin(), fixes.end(),
                             [&](std::int32_t r) {
                               if (r < 0 || static_cast<std::size_t>(r) >= table.size()) {
                                 return true;
                               }
                               const LinkEntry& row = table[static_cast<std::size_t>(r)];
                               return row.ValuePos < 0 || row.FileIndex < 0 ||
                                      row.FileIndex >= fileCount ||
                                      written[static_cast<std::size_t>(row.FileIndex)] == 0;
                             }),
              fixes.end());
  result.Next = session.FixCount() > 0 ? AfterApply::NextPass : AfterApply::StartOver;
  return result;
}

ApplyResult ApplyStep(SearchSession& session, const ApplyOptions& options, RunView& view) {
  session.SearchBusy = true;
  view.ClearLog();
  view.SetOverallProgress(1, session.FileList.size());
  ApplySummary(view, ApplyStatus::StopHint, 0, session.ProcessableCount);
  const ApplyResult result = ApplyRun(session, options, view);
  if (result.Stopped) {
    ApplySummary(view, ApplyStatus::Stopped, 0, session.ProcessableCount, result.FilesFailed);
  } else {
    ApplySummary(view, ApplyStatus::Done, result.Changes, session.ProcessableCount,
                 result.FilesFailed, result.FilesWritten, result.FilesUnchanged);
  }
  session.SearchBusy = false;
  return result;
}

}  // namespace urlsmith
