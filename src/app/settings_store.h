// The wizard's remembered options: one INI file per user ($XDG_CONFIG_HOME/Urlsmith/Urlsmith.conf)
// with the value names and defaults of the first start. Loaded once when the frame starts and
// saved once when it closes; a missing, unreadable or hand-broken value gives its default.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "engine/search_model.h"
#include "results/result_list.h"

namespace urlsmith::app {

class MessageService;

// Everything that is remembered between runs, with the first-start defaults.
struct WizardSettings {
  SearchOptions search;
  ProcessingOptions processing;  // TargetAdderEnabled is not remembered: it starts off
  SortModeKind sortMode = SortModeKind::Unsorted;
  bool imageReplacementRelative = true;
  bool backgroundReplacementRelative = true;
  std::string imageReplacementUrl;
  std::string backgroundReplacementUrl;
  std::string lastRootFolder;
};

// The longest text value that is read back (longer ones give the default).
inline constexpr qsizetype kMaxSettingText = 65534;
inline constexpr qsizetype kMaxSettingFolder = 4095;

class SettingsStore {
 public:
  // The file of the current user.
  SettingsStore();
  explicit SettingsStore(QString filePath) : path_(std::move(filePath)) {}

  const QString& filePath() const { return path_; }

  WizardSettings Load() const;
  // Writes every value; a folder that cannot be made or a file that cannot be written ends the
  // program through EmergencyQuit with the settings messages (the old file is left whole).
  void Save(const WizardSettings& settings, MessageService& messages) const;

  // The tip of the day counter, kept beside the options and used only by the Welcome step.
  std::optional<int> LoadTipCounter() const;
  bool SaveTipCounter(int counter) const;

  // Removes the file and, when it is then empty, its folder. Silent.
  void Remove() const;

 private:
  QString path_;
};

}  // namespace urlsmith::app
