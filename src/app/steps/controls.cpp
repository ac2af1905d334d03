#include "app/steps/controls.h"

#include <QHeaderView>

namespace urlsmith::app {

QString PlainCaption(const QString& caption) {
  QString plain;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&') {
        plain += u'&';
        ++i;
      }
      continue;
    }
    plain += caption[i];
  }
  return plain;
}

void SetTip(QWidget* widget, const QString& tip) {
  // Rich text wraps; the plain text is kept whole (no mnemonic processing).
  widget->setToolTip(QStringLiteral("<p style='white-space:normal'>") + tip.toHtmlEscaped() +
                     QStringLiteral("</p>"));
  widget->setToolTipDuration(32767);
}

QTreeView* LineList(QWidget* parent, int id, const QString& accessibleName,
                    QAbstractItemView::SelectionMode selection) {
  auto* list = Control(new QTreeView(parent), id, {}, accessibleName);
  list->setHeaderHidden(true);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(selection);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(QHeaderView::Fixed);
  return list;
}

}  // namespace urlsmith::app
