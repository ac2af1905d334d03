// The file list as the step shows it: a list model over the session's FileList. The view shows
// it with uniform rows, so it never measures items one by one; the model keeps the width of the
// widest path measured since the last reset, which gives the horizontal scroll range.
#pragma once

#include <QAbstractListModel>
#include <QFont>

#include "app/steps/text_widths.h"

#include "engine/file_list.h"

namespace urlsmith::app {

class FileListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  FileListModel(const FileList& list, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The list changed under the model (an add, a removal): show it as it is now.
  void Refresh();

  void SetFont(const QFont& font);
  int extent() const { return extent_; }
  // Widens the extent for the paths from `first` to the end of the list.
  void WidenFor(int first);
  // Measures every path anew (after a removal).
  void Remeasure();
  // Back to no width (the Welcome step does this each time it is shown).
  void ResetExtent();

 private:
  const FileList& list_;
  int shown_ = 0;  // rows the view knows; the list may have grown further during an add
  TextWidths widths_;
  int extent_ = 0;
};

}  // namespace urlsmith::app
