// Making the controls of the frame and the steps: each keeps its designed id as its object
// name ("ctl1019"; the frame's own "frame1014"), its caption with the '&' mnemonic, a tooltip
// that stays up long enough to be read, and an accessible name from its caption.
#pragma once

#include <QTreeView>

#include <QAbstractButton>
#include <QString>
#include <QWidget>

namespace urlsmith::app {

inline QString ControlName(int id) {
  return QStringLiteral("ctl%1").arg(id);
}
inline QString FrameControlName(int id) {
  return QStringLiteral("frame%1").arg(id);
}

// The caption without its mnemonic marks ("&&" stays one '&').
QString PlainCaption(const QString& caption);

// Sets the tooltip (wrapped, shown for 32.767 s, as designed).
void SetTip(QWidget* widget, const QString& tip);

// Names the control and gives it its tip and accessible name.
template <typename W>
W* Control(W* widget, int id, const QString& tip = {}, const QString& accessibleName = {}) {
  widget->setObjectName(ControlName(id));
  if (!tip.isEmpty()) SetTip(widget, tip);
  if (!accessibleName.isEmpty()) {
    widget->setAccessibleName(accessibleName);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    widget->setAccessibleName(PlainCaption(button->text()));
  }
  return widget;
}

// A one-column list of text lines (a tree view without header or branches): uniform rows, and a
// fixed column whose width is the list's horizontal scroll range.
QTreeView* LineList(QWidget* parent, int id, const QString& accessibleName,
                    QAbstractItemView::SelectionMode selection);

}  // namespace urlsmith::app
