// The backup utility: finds the backups that applying changes left next to the changed files
// (the file's full name plus ".bak") under a folder, and puts them back over their files or
// removes them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "text/file_system.h"

namespace urlsmith::unspool {

// A backup and the file it was made of.
struct Backup {
  std::string path;      // ".../index.htm.bak"
  std::string original;  // ".../index.htm"
};

struct BackupScan {
  std::vector<Backup> backups;      // folder by folder, names in byte order
  std::vector<std::string> errors;  // folders that could not be listed, with the reason
  // Temporary files that a killed run of the apply step left behind (its process is gone).
  std::vector<std::string> leftovers;
};

// The backups under `folder` and all its subfolders. Only ".bak" files of pages, style sheets
// and scripts count (what else ends in ".bak" was not made by applying changes).
BackupScan FindBackups(FileSystem& fs, const std::string& folder);

// Puts the backup back in place of its file (one rename; the changed file is replaced).
bool RestoreBackup(FileSystem& fs, const Backup& backup, std::string* error);
// Removes the backup; the file stays as it is.
bool DeleteBackup(FileSystem& fs, const Backup& backup, std::string* error);

// The program. Exit status 0 when everything asked for was done (or the user declined at the
// question), 2 on an error. `in` is where the answer to the question is read from;
// `interactive` says whether it is a terminal (without one, acting needs --yes).
int RunUnspool(const std::vector<std::string>& args, FileSystem& fs, std::FILE* in,
               bool interactive, std::FILE* out, std::FILE* err);

}  // namespace urlsmith::unspool
