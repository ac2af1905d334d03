#include "app/steps/result_lines_model.h"

#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>

namespace urlsmith::app {

ResultLinesModel::ResultLinesModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultLinesModel::Attach(QTreeView* view) {
  view_ = view;
  view_->setModel(this);
  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (selecting_ || bulk_) return;
            selection_ = current.isValid() ? current.row() : -1;
            emit userSelectionChanged();
          });
}

void ResultLinesModel::BeginBulk() {
  if (bulk_) return;
  beginResetModel();
  bulk_ = true;
  shown_ = 0;
  endResetModel();
}

void ResultLinesModel::EndBulk() {
  if (!bulk_) return;
  beginResetModel();
  bulk_ = false;
  shown_ = Count();
  endResetModel();
  SetHorizontalExtent(extent_);
  ShowTop();
  ShowSelection();
}

int ResultLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

QVariant ResultLinesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  const std::string& text = lines_[static_cast<std::size_t>(index.row())].Text;
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ResultLinesModel::Clear() {
  if (!bulk_) beginResetModel();
  lines_.clear();
  selection_ = -1;
  top_ = 0;
  if (!bulk_) {
    shown_ = 0;
    endResetModel();
  }
}

int ResultLinesModel::AddLine(std::string text, std::int32_t itemData) {
  const int row = Count();
  if (!bulk_) beginInsertRows({}, row, row);
  lines_.push_back(Line{std::move(text), itemData});
  if (!bulk_) {
    shown_ = Count();
    endInsertRows();
  }
  return row;
}

void ResultLinesModel::InsertLine(int index, std::string_view text, std::int32_t itemData) {
  if (index < 0 || index > Count()) index = Count();
  if (!bulk_) beginInsertRows({}, index, index);
  lines_.insert(lines_.begin() + index, Line{std::string(text), itemData});
  if (selection_ >= index) ++selection_;
  if (!bulk_) {
    shown_ = Count();
    endInsertRows();
    ShowSelection();
  }
}

void ResultLinesModel::DeleteLine(int index) {
  if (!Valid(index)) return;
  if (!bulk_) beginRemoveRows({}, index, index);
  lines_.erase(lines_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
  if (!bulk_) {
    shown_ = Count();
    endRemoveRows();
    ShowSelection();
  }
}

std::string ResultLinesModel::Text(int index) const {
  return Valid(index) ? lines_[static_cast<std::size_t>(index)].Text : std::string();
}

void ResultLinesModel::SetText(int index, std::string_view text) {
  if (!Valid(index)) return;
  lines_[static_cast<std::size_t>(index)].Text.assign(text);
  if (index < shown_) emit dataChanged(this->index(index), this->index(index));
}

std::int32_t ResultLinesModel::ItemData(int index) const {
  return Valid(index) ? lines_[static_cast<std::size_t>(index)].Data : kNoGroup;
}

void ResultLinesModel::SetItemData(int index, std::int32_t data) {
  if (Valid(index)) lines_[static_cast<std::size_t>(index)].Data = data;
}

void ResultLinesModel::SetSelection(int index) {
  selection_ = Valid(index) ? index : -1;
  if (!bulk_) ShowSelection();
}

int ResultLinesModel::TopIndex() const {
  if (view_ == nullptr || bulk_) return top_;
  const QModelIndex top = view_->indexAt(QPoint(0, 0));
  return top.isValid() ? top.row() : 0;
}

void ResultLinesModel::SetTopIndex(int index) {
  top_ = std::max(0, index);
  if (!bulk_) ShowTop();
}

void ResultLinesModel::SetHorizontalExtent(int width) {
  extent_ = width;
  if (view_ == nullptr || bulk_) return;
  view_->setColumnWidth(0, std::max(width, view_->viewport()->width()));
}

void ResultLinesModel::ShowSelection() {
  if (view_ == nullptr) return;
  selecting_ = true;
  if (Valid(selection_)) {
    view_->selectionModel()->setCurrentIndex(index(selection_),
                                             QItemSelectionModel::ClearAndSelect);
  } else {
    view_->selectionModel()->clear();
  }
  selecting_ = false;
}

void ResultLinesModel::ShowTop() {
  if (view_ == nullptr) return;
  if (Valid(top_)) {
    view_->scrollTo(index(top_), QAbstractItemView::PositionAtTop);
  } else {
    view_->scrollToTop();
  }
}

}  // namespace urlsmith::app
