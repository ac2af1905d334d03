// Widths of list lines in a font, from cached character advances: shaping every one of a
// hundred thousand lines would cost more than building the list. Kerning is left out, which a
// scroll range can afford.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <array>
#include <string_view>

namespace urlsmith::app {

class TextWidths {
 public:
  explicit TextWidths(const QFont& font = QFont());
  int Width(std::string_view utf8);

 private:
  QFontMetrics metrics_;
  std::array<int, 128> ascii_{};
  QHash<char32_t, int> other_;
};

}  // namespace urlsmith::app
