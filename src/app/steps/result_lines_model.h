// The review's list (list box 1036) as a Qt model: the core's ResultListModel over a one-column
// tree view with uniform rows. A rebuild adds up to a quarter of a million lines; between
// BeginBulk and EndBulk the view sees an empty list and learns of the new one in a single reset,
// so no line is laid out or measured twice.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "results/result_list.h"

class QTreeView;

namespace urlsmith::app {

class ResultLinesModel : public QAbstractListModel, public ResultListModel {
  Q_OBJECT
 public:
  explicit ResultLinesModel(QObject* parent = nullptr);

  // The view that shows the lines: its selection and scroll position are the list's.
  void Attach(QTreeView* view);
  void BeginBulk();
  void EndBulk();

  // QAbstractListModel
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // ResultListModel
  int Count() const override { return static_cast<int>(lines_.size()); }
  void Clear() override;
  int AddLine(std::string text, std::int32_t itemData) override;
  void InsertLine(int index, std::string_view text, std::int32_t itemData) override;
  void DeleteLine(int index) override;
  std::string Text(int index) const override;
  void SetText(int index, std::string_view text) override;
  std::int32_t ItemData(int index) const override;
  void SetItemData(int index, std::int32_t data) override;
  int Selection() const override { return selection_; }
  void SetSelection(int index) override;
  int TopIndex() const override;
  void SetTopIndex(int index) override;
  void SetHorizontalExtent(int width) override;

 signals:
  // The user selected another line (not emitted for selections the program makes).
  void userSelectionChanged();

 private:
  struct Line {
    std::string Text;
    std::int32_t Data = 0;
  };
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  void ShowSelection();
  void ShowTop();

  std::vector<Line> lines_;
  QTreeView* view_ = nullptr;
  int shown_ = 0;  // lines the view knows of (0 during a bulk change)
  bool bulk_ = false;
  bool selecting_ = false;
  int selection_ = -1;
  int top_ = 0;
  int extent_ = 0;
};

}  // namespace urlsmith::app
