#include "app/steps/file_list_model.h"

namespace urlsmith::app {

namespace {
// What the item delegate adds around the text.
constexpr int kTextMargin = 8;
}  // namespace

FileListModel::FileListModel(const FileList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), metrics_(QFont()) {
  SetFont(QFont());
}

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
  metrics_ = QFontMetrics(font);
  for (int c = 0; c < 128; ++c) {
    asciiAdvance_[static_cast<std::size_t>(c)] = metrics_.horizontalAdvance(QChar(c));
  }
  otherAdvance_.clear();
}

void FileListModel::WidenFor(int first) {
  for (int i = first; i < list_.size(); ++i) {
    const int width = WidthOf(list_.path(i)) + kTextMargin;
    if (width > extent_) extent_ = width;
  }
}

int FileListModel::WidthOf(const std::string& path) {
  int width = 0;
  bool ascii = true;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    width += asciiAdvance_[static_cast<unsigned char>(c)];
  }
  if (ascii) return width;
  width = 0;
  const QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
  for (const char32_t c : text.toUcs4()) {
    if (c < 0x80) {
      width += asciiAdvance_[c];
      continue;
    }
    auto it = otherAdvance_.find(c);
    if (it == otherAdvance_.end()) {
      it = otherAdvance_.insert(c, metrics_.horizontalAdvance(QString::fromUcs4(&c, 1)));
    }
    width += it.value();
  }
  return width;
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
