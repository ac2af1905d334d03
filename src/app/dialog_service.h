// The file and folder choosers of the wizard, behind one service so that tests can answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "results/file_choice.h"

class QWidget;

namespace urlsmith::app {

class DialogService {
 public:
  virtual ~DialogService() = default;
  // "Add File(s)": existing files, several at once; nothing when cancelled.
  virtual std::optional<QStringList> ChooseFiles(QWidget* owner, const QString& startFolder) = 0;
  // The folder chooser with its "&Add subfolders too" box, which starts as `addSubfolders` and
  // writes every change back at once; nothing when cancelled.
  virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder,
                                              bool& addSubfolders) = 0;
  // An open-file dialog of the review and deletion steps.
  virtual std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& request) = 0;
};

class QtDialogService : public DialogService {
 public:
  std::optional<QStringList> ChooseFiles(QWidget* owner, const QString& startFolder) override;
  std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder,
                                      bool& addSubfolders) override;
  std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& request) override;
};

}  // namespace urlsmith::app
