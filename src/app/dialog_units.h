// Dialog units as the designed layout uses them: a quarter of the font's average character
// width across, an eighth of its height down.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

namespace urlsmith::app {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font) {
    const QFontMetrics m(font);
    // The average of the 52 letters, rounded as the dialog manager rounds it.
    const int letters =
        m.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = m.height();
  }
  int x(int units) const { return (units * baseX_ + 2) / 4; }
  int y(int units) const { return (units * baseY_ + 4) / 8; }
  QRect rect(int left, int top, int width, int height) const {
    return {x(left), y(top), x(width), y(height)};
  }

 private:
  int baseX_ = 6;
  int baseY_ = 13;
};

}  // namespace urlsmith::app
