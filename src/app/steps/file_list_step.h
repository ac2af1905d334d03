// Step 2, "Add Files for Processing": the file list the search treats as existing, filled from
// the open-file dialog, by folders (optionally with their subfolders) or from the start path
// a command line or a later start hands over.
#pragma once

#include <functional>

#include "app/steps/step_page.h"
#include "engine/file_adds.h"

class QLabel;
class QPushButton;
class QTreeView;

namespace urlsmith::app {

class FileListModel;

class FileListStep : public StepPage {
  Q_OBJECT
 public:
  explicit FileListStep(WizardFrame& frame);

  // Empties the list (Remove all without its question; the frame after a finished job).
  void Clear();
  // Forgets the widest path (the Welcome step does this each time it is shown).
  void ResetExtent();
  int extent() const;

  void AddFiles();
  void AddFolder();
  void RemoveSelected();
  void RemoveAll();

 protected:
  void Entered() override;

 private:
  // The frame around every add: the status line, the frame's controls, the wait cursor, the
  // key poll; afterwards the list, the buttons and the counter.
  void RunAdd(QPushButton* pressed, const std::function<AddResult(RunView&)>& add);
  void AddStartPath();
  void ListChanged(int firstNew);
  void UpdateButtons();
  void WriteCounter();
  void ApplyExtent();

  QTreeView* list_;
  FileListModel* model_;
  QPushButton* addFiles_;
  QPushButton* addFolder_;
  QPushButton* remove_;
  QPushButton* removeAll_;
  QLabel* counter_;
};

}  // namespace urlsmith::app
