#include "unspool/unspool.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "apply/apply_run.h"
#include "engine/search_model.h"

namespace urlsmith::unspool {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;
constexpr std::string_view kSuffix = kBackupSuffix;

constexpr const char* kUsage =
    R"(Usage: unspool [--list | --restore | --delete] [--yes] FOLDER
       unspool [FOLDER]
       unspool --help

Lists the backups that applying changes with Urlsmith left under FOLDER and its subfolders:
for every page, style sheet or script that was changed, a file of the same name plus ".bak"
holding its earlier text.

  --list      list the backups (what unspool does with a folder and no option when there
              is no display)
  --restore   put every backup back in place of its file (the changed file is replaced)
  --delete    remove the backups and keep the files as they are now
  -y, --yes   do it without asking
  -h, --help  show this help

Before restoring or deleting, unspool lists the backups and asks; without a terminal to ask on
it does nothing unless --yes is given.

On a display (DISPLAY or WAYLAND_DISPLAY set), unspool with a folder and no option, or with
nothing at all, opens a window that lists the backups with their sizes and dates and whether
each file has changed since, and restores or deletes the chosen ones.

Exit status: 0 when everything asked for was done (or the answer was no), 2 on an error.
)";

enum class Action { List, Restore, Delete };

bool IsBackupName(std::string_view name) {
  if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  return IsProcessable(name.substr(0, name.size() - kSuffix.size()), PathStyle::Posix);
}

void Scan(FileSystem& fs, const std::string& folder, BackupScan& scan,
          std::set<std::string>& visited) {
  // A folder reached twice (through a symbolic link) is searched once.
  const std::string canonical = fs.CanonicalPath(folder);
  if (!canonical.empty() && !visited.insert(canonical).second) return;
  std::optional<std::vector<DirEntry>> entries = fs.ListFolder(folder);
  if (!entries) {
    scan.errors.push_back(folder);
    return;
  }
  std::sort(entries->begin(), entries->end(),
            [](const DirEntry& a, const DirEntry& b) { return a.Name < b.Name; });
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> subfolders;
  for (const DirEntry& entry : *entries) {
    if (entry.IsDirectory) {
      subfolders.push_back(prefix + entry.Name);
    } else if (IsBackupName(entry.Name)) {
      const std::string path = prefix + entry.Name;
      scan.backups.push_back({path, path.substr(0, path.size() - kSuffix.size())});
    } else if (const std::optional<long> writer = TempFileWriter(entry.Name);
               writer && !fs.ProcessRuns(*writer)) {
      scan.leftovers.push_back(prefix + entry.Name);
    }
  }
  for (const std::string& sub : subfolders)
    Scan(fs, sub, scan, visited);
}

bool ReadYes(std::FILE* in) {
  std::string line;
  for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
    line.push_back(static_cast<char>(c));
  }
  while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
    line.pop_back();
  while (!line.empty() && line.front() == ' ')
    line.erase(line.begin());
  return EqualsIgnoreCase(line, "y") || EqualsIgnoreCase(line, "yes");
}

}  // namespace

BackupScan FindBackups(FileSystem& fs, const std::string& folder) {
  BackupScan scan;
  std::set<std::string> visited;
  Scan(fs, folder, scan, visited);
  return scan;
}

bool RestoreBackup(FileSystem& fs, const Backup& backup, std::string* error) {
  return fs.Rename(backup.path, backup.original, error);
}

bool DeleteBackup(FileSystem& fs, const Backup& backup, std::string* error) {
  return fs.Remove(backup.path, error);
}

int RunUnspool(const std::vector<std::string>& args, FileSystem& fs, std::FILE* in,
               bool interactive, std::FILE* out, std::FILE* err) {
  Action action = Action::List;
  bool yes = false;
  bool optionsEnded = false;
  bool listAsked = false;
  std::vector<std::string> folders;
  auto usageError = [&](const std::string& message) {
    std::fprintf(err, "unspool: %s\nTry 'unspool --help'.\n", message.c_str());
    return kExitError;
  };
  for (const std::string& arg : args) {
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "-h" || arg == "--help") {
        std::fputs(kUsage, out);
        return kExitOk;
      }
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "-y" || arg == "--yes") {
        yes = true;
      } else if (arg == "--list") {
        if (action != Action::List) {
          return usageError("--list cannot be used with --restore or --delete");
        }
        listAsked = true;
      } else if (arg == "--restore" || arg == "--delete") {
        if (listAsked) return usageError("--list cannot be used with --restore or --delete");
        const Action chosen = arg == "--restore" ? Action::Restore : Action::Delete;
        if (action != Action::List && action != chosen) {
          return usageError("--restore and --delete cannot be used together");
        }
        action = chosen;
      } else {
        return usageError("unknown option " + arg);
      }
    } else {
      folders.push_back(arg);
    }
  }
  if (folders.empty()) return usageError("no folder given");
  if (folders.size() > 1) return usageError("give one folder only");
  std::string folder = folders.front();
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  if (!fs.IsDirectory(folder)) {
    std::fprintf(err, "unspool: %s is not a folder\n", folder.c_str());
    return kExitError;
  }

  const BackupScan scan = FindBackups(fs, folder);
  int failures = 0;
  for (const std::string& bad : scan.errors) {
    std::fprintf(err, "unspool: cannot list the folder %s\n", bad.c_str());
    ++failures;
  }
  // What a killed run left behind goes with the backups: listed, and removed by either action.
  auto leftovers = [&] {
    for (const std::string& path : scan.leftovers) {
      if (action == Action::List) {
        std::fprintf(out, "%s (left behind by an interrupted run)\n", path.c_str());
        continue;
      }
      std::string error;
      if (fs.Remove(path, &error)) {
        std::fprintf(out, "removed %s (left behind by an interrupted run)\n", path.c_str());
      } else {
        std::fprintf(err, "unspool: cannot remove %s: %s\n", path.c_str(), error.c_str());
        ++failures;
      }
    }
  };
  const std::size_t count = scan.backups.size();
  if (count == 0 || action == Action::List) leftovers();
  if (count == 0) {
    std::fprintf(out, "No backups found under %s\n", folder.c_str());
    return failures > 0 ? kExitError : kExitOk;
  }
  if (action == Action::List) {
    for (const Backup& b : scan.backups)
      std::fprintf(out, "%s\n", b.path.c_str());
    std::fprintf(out, "%zu backup(s) found\n", count);
    return failures > 0 ? kExitError : kExitOk;
  }

  const char* verb = action == Action::Restore ? "restore" : "delete";
  if (!yes) {
    if (!interactive) {
      std::fprintf(err,
                   "unspool: %zu backup(s) to %s, but there is no terminal to ask on; nothing "
                   "was changed. Add --yes to %s them.\n",
                   count, verb, verb);
      return kExitError;
    }
    for (const Backup& b : scan.backups)
      std::fprintf(out, "%s\n", b.path.c_str());
    if (action == Action::Restore) {
      std::fprintf(out, "Restore these %zu backup(s) over their files? [y/N] ", count);
    } else {
      std::fprintf(out, "Delete these %zu backup(s)? [y/N] ", count);
    }
    std::fflush(out);
    if (!ReadYes(in)) {
      std::fprintf(out, "Nothing was changed.\n");
      return failures > 0 ? kExitError : kExitOk;
    }
  }

  leftovers();
  std::size_t done = 0;
  for (const Backup& b : scan.backups) {
    std::string error;
    const bool ok =
        action == Action::Restore ? RestoreBackup(fs, b, &error) : DeleteBackup(fs, b, &error);
    if (ok) {
      ++done;
      if (action == Action::Restore) {
        std::fprintf(out, "restored %s\n", b.original.c_str());
      } else {
        std::fprintf(out, "deleted %s\n", b.path.c_str());
      }
    } else {
      std::fprintf(err, "unspool: cannot %s %s: %s\n", verb, b.path.c_str(), error.c_str());
      ++failures;
    }
  }
  std::fprintf(out, "%zu backup(s) %s\n", done, action == Action::Restore ? "restored" : "deleted");
  return failures > 0 ? kExitError : kExitOk;
}

}  // namespace urlsmith::unspool
