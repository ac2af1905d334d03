#include "app/steps/file_list_model.h"

namespace urlsmith::app {

namespace {
// What the item delegate adds around the text.
constexpr int kTextMargin = 8;
}  // namespace

FileListModel::FileListModel(const FileList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_ || index.row() >= list_.size()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
      const std::string& path = list_.path(index.row());
      return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    }
    default:
      return {};
  }
}

void FileListModel::Refresh() {
  beginResetModel();
  shown_ = list_.size();
  endResetModel();
}

void FileListModel::SetFont(const QFont& font) {
  widths_ = TextWidths(font);
}

void FileListModel::WidenFor(int first) {
  for (int i = first; i < list_.size(); ++i) {
    const int width = widths_.Width(list_.path(i)) + kTextMargin;
    if (width > extent_) extent_ = width;
  }
}

void FileListModel::Remeasure() {
  extent_ = 0;
  WidenFor(0);
}

void FileListModel::ResetExtent() {
  extent_ = 0;
  Refresh();
}

}  // namespace urlsmith::app
