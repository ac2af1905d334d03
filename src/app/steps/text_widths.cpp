#include "app/steps/text_widths.h"

#include <QString>

namespace urlsmith::app {

TextWidths::TextWidths(const QFont& font) : metrics_(font) {
  for (int c = 0; c < 128; ++c) {
    ascii_[static_cast<std::size_t>(c)] = metrics_.horizontalAdvance(QChar(c));
  }
}

int TextWidths::Width(std::string_view utf8) {
  int width = 0;
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      width = -1;
      break;
    }
    width += ascii_[u];
  }
  if (width >= 0) return width;
  width = 0;
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (const char32_t c : text.toUcs4()) {
    if (c < 0x80) {
      width += ascii_[c];
      continue;
    }
    auto it = other_.find(c);
    if (it == other_.end()) {
      it = other_.insert(c, metrics_.horizontalAdvance(QString::fromUcs4(&c, 1)));
    }
    width += it.value();
  }
  return width;
}

}  // namespace urlsmith::app
