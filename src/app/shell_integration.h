// The folder action "Check with Urlsmith": an XDG desktop entry for folders (file managers
// offer it under "Open with") and a KDE service menu. "-shell" writes both, "-uninstall"
// removes them.
#pragma once

#include <QString>
#include <optional>

namespace urlsmith::app {

// $XDG_DATA_HOME, else ~/.local/share.
QString DataHome();
QString ApplicationEntryPath();
QString ServiceMenuPath();

// The Exec value: the program path in double quotes (with the characters an entry must escape
// escaped), then " %f".
QString DesktopExec(const QString& programPath);

QString ApplicationEntryText(const QString& programPath);
QString ServiceMenuText(const QString& programPath);

// Writes both files; on failure the message to show (what failed and where).
std::optional<QString> RegisterFolderAction(const QString& programPath);
// Removes both files; silent, whatever was there.
void RemoveFolderAction();

}  // namespace urlsmith::app
