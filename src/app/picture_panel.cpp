#include "app/picture_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace urlsmith::app {

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frame1017"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicturePanel::ShowStep(int index, bool) {
  if (index == step_) return;
  step_ = index;
  update();
}

void PicturePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, 0, height());
  band.setColorAt(0.0, QColor(0x1d, 0x4e, 0x89));
  band.setColorAt(1.0, QColor(0x0b, 0x23, 0x45));
  p.fillRect(rect(), band);
  // One mark per step down the panel, the current one lit.
  const int rowHeight = height() / (8 + 2);
  QFont small = font();
  small.setBold(true);
  p.setFont(small);
  for (int i = 0; i < 8; ++i) {
    const QRect row(8, rowHeight * (i + 1), width() - 16, rowHeight - 6);
    const bool current = i == step_;
    p.setPen(Qt::NoPen);
    p.setBrush(current ? QColor(0xf2, 0xb1, 0x34) : QColor(255, 255, 255, i < step_ ? 70 : 30));
    p.drawRoundedRect(row, 5, 5);
    p.setPen(current ? QColor(0x1a, 0x1a, 0x1a) : QColor(255, 255, 255, 200));
    p.drawText(row, Qt::AlignCenter, QStringLiteral("Step %1").arg(i + 1));
  }
}

}  // namespace urlsmith::app
